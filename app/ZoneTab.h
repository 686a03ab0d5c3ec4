#pragma once

#include "zone/ZoneList.h"

#include <wx/panel.h>

#include <cstdint>
#include <memory>
#include <string>

class ChatClient;
class ChatOutput;
class ChatView;
class UserList;

// One zone in the main window: its output area and player list side by side,
// and the client that fills them, with settings of its own (the zone's place in
// the Server List) and a folder of its own for its files.
class ZoneTab : public wxPanel {
public:
    // The first zone keeps its files in `programFolder`; the others in a folder
    // named after them inside it.
    ZoneTab(wxWindow* parent, SettingsSource& settings, int zoneIndex, const std::string& programFolder);
    ~ZoneTab() override;

    ChatView& OutputArea() const { return *output_; }
    UserList& Users() const { return *users_; }
    ChatClient& Client() const { return *client_; }
    ChatOutput& Output() const;
    ZoneSettings& Settings() { return settings_; }
    int ZoneIndex() const { return settings_.Index(); }
    const std::string& Folder() const { return folder_; }
    // The zone's name as the Server List has it; its address when it has none.
    // Read when the tab opens and again on RefreshName (the store is a file).
    const std::string& ZoneName() const { return name_; }
    void RefreshName();

    // What the tab shows: the zone's name, the lines that came in since the tab
    // was last looked at, and "!" when one of them is a mention.
    std::string Label() const;
    // True once when the label differs from the one last taken (a cheap check, made every tick).
    bool TakeLabelChange();
    // The tab is in front: everything in it counts as seen.
    void MarkSeen();
    uint64_t Unseen() const;
    void NoteMention() { mentionUnseen_ = true; }
    // Only the tab in front takes part in idle time: the windows of the tabs
    // behind catch up (layout, deferred showing) when they come to the front.
    void SetInFront(bool inFront) { inFront_ = inFront; }
    bool SendIdleEvents(wxIdleEvent& event) override;
    bool MentionUnseen() const { return mentionUnseen_; }

private:
    ZoneSettings settings_;
    std::string folder_;
    std::string name_;
    ChatView* output_ = nullptr;
    UserList* users_ = nullptr;
    uint64_t seenEnd_ = 0;
    bool mentionUnseen_ = false;
    bool inFront_ = true;
    // What the label last taken was made of.
    uint64_t labelUnseen_ = ~uint64_t(0);
    bool labelMention_ = false;
    std::string labelName_;
    // Goes first: its quiet disconnect still reaches the output and the player list.
    std::unique_ptr<ChatClient> client_;
};
