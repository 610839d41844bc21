#include "platform/ui/native_ids.h"

namespace platform::ui {

std::optional<int> NativeIds::ToNative(int id) {
    if (id <= 0) return std::nullopt;
    if (auto it = toNative_.find(id); it != toNative_.end()) return it->second;
    const int native = kFirst + static_cast<int>(toNative_.size());
    if (native > kLast) return std::nullopt;
    toNative_[id] = native;
    fromNative_[native] = id;
    return native;
}

std::optional<int> NativeIds::FromNative(int native) const {
    if (auto it = fromNative_.find(native); it != fromNative_.end()) return it->second;
    return std::nullopt;
}

NativeIds& MenuNativeIds() {
    static NativeIds ids;
    return ids;
}

}  // namespace platform::ui
