#include "net/messages.h"

#include <string>

namespace examclient {

Text loginRequest(std::string_view examineeNumber, std::string_view idCardNumber)
{
    return concatTexts({examineeNumber, fieldSeparator, idCardNumber});
}

bool isLoginAccepted(const Bytes& reply)
{
    return textEquals(bytesToText(reply), loginAccepted);
}

Text scheduleText(std::string_view startTimeText, std::string_view durationText)
{
    return concatTexts({startTimeText, fieldSeparator, durationText});
}

Text scheduleText(const DateTime& start, int durationMinutes)
{
    return scheduleText(dateTimeToText(start), std::to_string(durationMinutes));
}

std::vector<Text> parseSchedule(const Bytes& arrival)
{
    return splitText(bytesToText(arrival), fieldSeparator);
}

} // namespace examclient
