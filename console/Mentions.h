#pragma once

#include <cstdint>
#include <map>
#include <string>

// Mentions while the window is in the background: how many the user has not
// seen (the title counts them), and which raise a desktop notification: at most
// one every two seconds, and one per sender in ten. The mentions passed over in
// between are counted into the next notification.
class MentionAlerts {
public:
    static constexpr int64_t kQuietMilliseconds = 10000;
    static constexpr int64_t kSpacingMilliseconds = 2000;

    // A mention arrived unseen; true when it raises a notification, with `passedOver`
    // the mentions since the last one that did not.
    bool Arrived(const std::string& sender, int64_t nowMilliseconds, int& passedOver);
    void Seen() { unseen_ = 0; }
    int Unseen() const { return unseen_; }
    // "Quillon", or "(N) Quillon" while N mentions wait.
    std::string Title() const;

private:
    int unseen_ = 0;
    int passedOver_ = 0;
    bool notifiedOnce_ = false;
    int64_t lastNotified_ = 0;
    std::map<std::string, int64_t> lastBySender_; // by lower-case name; a few at most
};

// Text for a notification service that reads markup: "&", "<" and ">" as entities.
std::string EscapeMarkup(const std::string& text);
