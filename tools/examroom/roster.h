// The examinees allowed to log in: pairs of examinee number and ID card number.
#pragma once

#include "app/text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace examclient::examroom {

struct RosterEntry {
    Text examineeNumber;
    Text idCardNumber;
    friend bool operator==(const RosterEntry&, const RosterEntry&) = default;
};

class Roster final {
public:
    // One "examinee-number id-card-number" pair per line, separated by blanks or tabs;
    // empty lines and lines starting with "#" are skipped. Texts are GBK bytes.
    static std::optional<Roster> parse(std::string_view content, std::string& error);

    // Exact bytes, no trimming or case folding: the client sends what was typed.
    bool admits(std::string_view examineeNumber, std::string_view idCardNumber) const;
    const std::vector<RosterEntry>& entries() const { return m_entries; }

private:
    std::vector<RosterEntry> m_entries;
};

// How the server judges one arrival on the login port, taken as one login request.
enum class LoginVerdict {
    Accepted,
    Rejected,  // well formed, but not on the roster
    Malformed, // not examinee number "fg" ID card number
};

struct LoginJudgement {
    LoginVerdict verdict = LoginVerdict::Malformed;
    Text examineeNumber;
    Text idCardNumber;
};

LoginJudgement judgeLogin(const Roster& roster, const Bytes& request);

} // namespace examclient::examroom
