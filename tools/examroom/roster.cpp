#include "tools/examroom/roster.h"

#include "net/messages.h"

namespace examclient::examroom {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> found;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            found.push_back(line.substr(start, i - start));
    }
    return found;
}

} // namespace

std::optional<Roster> Roster::parse(std::string_view content, std::string& error)
{
    Roster roster;
    int lineNumber = 0;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        ++lineNumber;
        std::vector<std::string_view> fields = words(line);
        if (fields.empty() || fields[0].front() == '#')
            continue;
        if (fields.size() != 2) {
            error = "line " + std::to_string(lineNumber) + ": expected an examinee number and an ID card number";
            return std::nullopt;
        }
        roster.m_entries.push_back({Text(fields[0]), Text(fields[1])});
    }
    return roster;
}

bool Roster::admits(std::string_view examineeNumber, std::string_view idCardNumber) const
{
    for (const RosterEntry& entry : m_entries) {
        if (textEquals(entry.examineeNumber, examineeNumber) && textEquals(entry.idCardNumber, idCardNumber))
            return true;
    }
    return false;
}

LoginJudgement judgeLogin(const Roster& roster, const Bytes& request)
{
    LoginJudgement judgement;
    // The client sends no terminating zero; a zero byte is never part of a number.
    std::vector<Text> fields = splitText(bytesToText(request), fieldSeparator);
    if (fields.size() != 2 || request.size() != bytesToText(request).size()) {
        if (!fields.empty())
            judgement.examineeNumber = fields[0];
        return judgement;
    }
    judgement.examineeNumber = fields[0];
    judgement.idCardNumber = fields[1];
    judgement.verdict = roster.admits(judgement.examineeNumber, judgement.idCardNumber) ? LoginVerdict::Accepted
                                                                                        : LoginVerdict::Rejected;
    return judgement;
}

} // namespace examclient::examroom
