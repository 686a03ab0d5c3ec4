#pragma once

#include <cstdint>
#include <map>
#include <string>

// Mentions while the window is in the background: how many the user has not
// seen (the title counts them), and at most one desktop notification per
// sender in ten seconds.
class MentionAlerts {
public:
    static constexpr int64_t kQuietMilliseconds = 10000;

    // A mention arrived unseen; true when it may raise a notification.
    bool Arrived(const std::string& sender, int64_t nowMilliseconds);
    void Seen() { unseen_ = 0; }
    int Unseen() const { return unseen_; }
    // "Quillon", or "(N) Quillon" while N mentions wait.
    std::string Title() const;

private:
    int unseen_ = 0;
    std::map<std::string, int64_t> lastNotified_; // by lower-case name
};
