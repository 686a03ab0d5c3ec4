#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

// The names that most recently sent the user a private message, newest first,
// each once. Names compare as exact text here, unlike anywhere else. The reply
// rotation is the copy that the input line's "::" completion walks through.
class RecentSenders {
public:
    static constexpr size_t kMaxNames = 10;

    // Puts the name in front (once) and starts the rotation afresh.
    void Note(const std::string& name);
    const std::deque<std::string>& Names() const { return names_; }

    const std::deque<std::string>& Rotation() const { return rotation_; }
    void ResetRotation() { rotation_ = names_; }
    // The name at the front of the rotation, moved to its back; empty when there is none.
    std::string NextInRotation();

private:
    std::deque<std::string> names_;
    std::deque<std::string> rotation_;
};

// Whether private messages are answered, and with what. Each sender gets at most
// one answer a minute, so two clients that are both away do not talk for ever.
class AwayState {
public:
    static constexpr const char* kDefaultMessage = "I am currently Away.";
    static constexpr uint32_t kReplyPause = 6000; // hundredths of a second

    bool Away() const { return away_; }
    // The message as stored: when the user typed one it starts with the space
    // that followed the command word.
    const std::string& Message() const { return message_; }
    // What the answer carries: the user's words, or the default text.
    std::string ReplyText() const;

    // "?away" with everything after the command word. Returns true when away is
    // now on (set or changed), false when it was switched off.
    bool Set(const std::string& message);

    // True when `sender` may be answered at `now`; a true answer counts as sent.
    bool TakeReplyTurn(const std::string& sender, uint32_t now);

private:
    bool away_ = false;
    std::string message_;
    std::unordered_map<std::string, uint32_t> lastReply_; // lower-cased name -> time
};
