#include "console/Mentions.h"

#include "zone/Names.h"

bool MentionAlerts::Arrived(const std::string& sender, int64_t now, int& passedOver)
{
    ++unseen_;
    // Senders quiet for longer than the pause are forgotten; with a notification at
    // most every two seconds, no more than five are remembered.
    for (auto it = lastBySender_.begin(); it != lastBySender_.end();)
        it = now - it->second >= kQuietMilliseconds ? lastBySender_.erase(it) : std::next(it);
    const std::string name = LowerName(sender);
    if ((notifiedOnce_ && now - lastNotified_ < kSpacingMilliseconds) || lastBySender_.count(name) != 0) {
        ++passedOver_;
        return false;
    }
    lastBySender_[name] = now;
    lastNotified_ = now;
    notifiedOnce_ = true;
    passedOver = passedOver_;
    passedOver_ = 0;
    return true;
}

std::string MentionAlerts::Title() const
{
    return unseen_ == 0 ? "Quillon" : "(" + std::to_string(unseen_) + ") Quillon";
}

std::string EscapeMarkup(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped.push_back(c);
            break;
        }
    }
    return escaped;
}
