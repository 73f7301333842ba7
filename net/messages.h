// The messages on the four ports, as pure functions. There is no framing: each arrival
// is taken as one whole message, and texts travel as their GBK bytes without a
// terminating zero.
#pragma once

#include "app/text.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace examclient {

// Separates the fields of a login request and of a schedule.
inline constexpr std::string_view fieldSeparator = "fg";

inline constexpr std::int32_t defaultLoginPort = 19730;
inline constexpr std::int32_t precautionsPort = 19731;
inline constexpr std::int32_t schedulePort = 19732;
inline constexpr std::int32_t archivePort = 19733;
// The question archive comes from a sender on the examinee's own machine.
inline constexpr std::string_view archiveSenderAddress = "127.0.0.1";

// The login request: examinee number, "fg", ID card number. Nothing is validated or
// escaped; two empty numbers give "fg".
Text loginRequest(std::string_view examineeNumber, std::string_view idCardNumber);

// The reply accepts when its text (up to the first zero byte) is exactly "1".
bool isLoginAccepted(const Bytes& reply);
inline constexpr std::string_view loginAccepted = "1";
inline constexpr std::string_view loginRejected = "0";

// The schedule: the start time in the clock's text form, "fg", the duration in minutes.
Text scheduleText(std::string_view startTimeText, std::string_view durationText);
Text scheduleText(const DateTime& start, int durationMinutes);

// The fields of a received schedule: its text split at "fg". The first is the start
// time text, the second the duration; further fields mean nothing. Fewer than two
// fields is a schedule the receiver cannot use.
std::vector<Text> parseSchedule(const Bytes& arrival);

} // namespace examclient
