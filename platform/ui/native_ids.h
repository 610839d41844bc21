#pragma once
// Command ids as a native toolkit takes them. The program's ids run up to
// 65535; the toolkit refuses ids above 32767 and gives the block of its own
// standard ids a meaning (labels, icons, keys) of its own. So every id that
// reaches the toolkit is mapped into a block of its own, both ways.
#include <map>
#include <optional>

namespace platform::ui {

class NativeIds {
public:
    // Clear of the toolkit's standard ids (4999..5999) and below its limit.
    static constexpr int kFirst = 10000;
    static constexpr int kLast = 32766;

    // The native id of a program id, given out on first use; nullopt when
    // the block is used up or the id is no command (0 or less).
    std::optional<int> ToNative(int id);
    // The program id of a native id given out here; nullopt for any other.
    std::optional<int> FromNative(int native) const;
    int size() const { return static_cast<int>(toNative_.size()); }

private:
    std::map<int, int> toNative_;
    std::map<int, int> fromNative_;
};

// The table the real backend uses for menus and popup menus.
NativeIds& MenuNativeIds();

}  // namespace platform::ui
