#include "zone/PrivateReplies.h"

#include "zone/Names.h"

#include <algorithm>

void RecentSenders::Note(const std::string& name)
{
    // An empty name would complete "::" to "::" again and again; so would a name
    // that starts with the only ":" it has (":x" gives "::x:"). The input line
    // takes each completion as a new change, so it would never stop.
    if (name.empty() || (name[0] == ':' && name.find(':', 1) == std::string::npos))
        return;
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found != names_.end())
        names_.erase(found);
    names_.push_front(name);
    if (names_.size() > kMaxNames)
        names_.pop_back();
    ResetRotation();
}

std::string RecentSenders::NextInRotation()
{
    if (rotation_.empty())
        return std::string();
    std::string name = rotation_.front();
    rotation_.pop_front();
    rotation_.push_back(name);
    return name;
}

std::string AwayState::ReplyText() const
{
    if (!message_.empty() && message_[0] == ' ')
        return message_.substr(1);
    return message_;
}

bool AwayState::Set(const std::string& message)
{
    if (message.empty() && away_) {
        away_ = false;
        message_.clear();
        lastReply_.clear();
        return false;
    }
    message_ = message.empty() ? kDefaultMessage : message;
    away_ = true;
    // A new or changed message goes to everyone again.
    lastReply_.clear();
    return true;
}

bool AwayState::TakeReplyTurn(const std::string& sender, uint32_t now)
{
    // Entries older than the pause decide nothing any more; dropping them keeps
    // the map as small as the last minute's senders.
    for (auto it = lastReply_.begin(); it != lastReply_.end();) {
        if (now - it->second >= kReplyPause)
            it = lastReply_.erase(it);
        else
            ++it;
    }
    const auto inserted = lastReply_.emplace(LowerName(sender), now);
    return inserted.second;
}
