#pragma once

#include <memory>
#include <utility>

// Where the frame keeps a dialog while its command shows it. Open creates the
// dialog into the empty slot and hands back a lease that destroys it and empties
// the slot when the command is done. While one is showing (its command waits in
// the nested event loop) the slot is taken and Open gives an empty lease.
template <class Dialog> class DialogSlot {
public:
    class Lease {
    public:
        explicit Lease(DialogSlot* slot) : slot_(slot) {}
        Lease(Lease&& other) noexcept : slot_(std::exchange(other.slot_, nullptr)) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Lease& operator=(Lease&&) = delete;
        ~Lease()
        {
            if (slot_ != nullptr)
                slot_->dialog_.reset();
        }
        explicit operator bool() const { return slot_ != nullptr; }
        Dialog* operator->() const { return slot_->dialog_.get(); }
        Dialog& operator*() const { return *slot_->dialog_; }

    private:
        DialogSlot* slot_;
    };

    template <class... Args> Lease Open(Args&&... args)
    {
        if (dialog_)
            return Lease(nullptr);
        dialog_ = std::make_unique<Dialog>(std::forward<Args>(args)...);
        return Lease(this);
    }
    Dialog* Get() const { return dialog_.get(); }

private:
    std::unique_ptr<Dialog> dialog_;
};
