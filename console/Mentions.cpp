#include "console/Mentions.h"

#include "zone/Names.h"

bool MentionAlerts::Arrived(const std::string& sender, int64_t now)
{
    ++unseen_;
    // Senders quiet for longer than the pause are forgotten, so the map stays small.
    for (auto it = lastNotified_.begin(); it != lastNotified_.end();)
        it = now - it->second >= kQuietMilliseconds ? lastNotified_.erase(it) : std::next(it);
    auto [it, fresh] = lastNotified_.emplace(LowerName(sender), now);
    return fresh;
}

std::string MentionAlerts::Title() const
{
    return unseen_ == 0 ? "Quillon" : "(" + std::to_string(unseen_) + ") Quillon";
}
