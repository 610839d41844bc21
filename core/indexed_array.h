#pragma once
// A growable array whose first slot has a lower-bound index. Arrays of
// std::unique_ptr own their elements; new slots are empty (value-initialised).
#include <cstddef>
#include <iterator>
#include <vector>

template <class T>
class IndexedArray {
public:
    explicit IndexedArray(int growthStep = 10, int lowerBound = 0) : step_(growthStep), lower_(lowerBound) {}

    int LowerBound() const { return lower_; }
    int UpperBound() const { return lower_ + static_cast<int>(slots_.size()) - 1; }
    int ArraySize() const { return static_cast<int>(slots_.size()); }
    // Slots filled by Add, in order; Add puts an element in the first slot past them.
    int Count() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    bool IsValid(int i) const { return i >= lower_ && i - lower_ < ArraySize(); }

    // Makes index i valid, growing to the next multiple of the step above
    // i - lower bound, or inserting empty slots in front.
    void GrowToIndex(int i) {
        if (i < lower_) {
            std::vector<T> grown(static_cast<std::size_t>(lower_ - i));
            grown.insert(grown.end(), std::make_move_iterator(slots_.begin()), std::make_move_iterator(slots_.end()));
            slots_ = std::move(grown);
            count_ += lower_ - i;
            lower_ = i;
            return;
        }
        int rel = i - lower_;
        if (rel < ArraySize()) return;
        int size = step_ > 0 ? (rel / step_ + 1) * step_ : rel + 1;
        slots_.resize(static_cast<std::size_t>(size));
    }

    // Appends after the last added element; returns its index.
    int Add(T value) {
        int i = lower_ + count_;
        GrowToIndex(i);
        slots_[static_cast<std::size_t>(count_)] = std::move(value);
        ++count_;
        return i;
    }

    T& operator[](int i) {
        GrowToIndex(i);
        int rel = i - lower_;
        if (rel >= count_) count_ = rel + 1;
        return slots_[static_cast<std::size_t>(rel)];
    }
    const T* At(int i) const { return IsValid(i) ? &slots_[static_cast<std::size_t>(i - lower_)] : nullptr; }

    // Removes the element at i; those after it move down one. False when i holds none.
    bool Destroy(int i) {
        const int rel = i - lower_;
        if (rel < 0 || rel >= count_) return false;
        slots_.erase(slots_.begin() + rel);
        --count_;
        return true;
    }

    // Empties the array (owned elements are deleted) and keeps its lower bound.
    void Flush() {
        slots_.clear();
        count_ = 0;
    }

    auto begin() { return slots_.begin(); }
    auto end() { return slots_.begin() + count_; }
    auto begin() const { return slots_.begin(); }
    auto end() const { return slots_.begin() + count_; }

private:
    int step_;
    int lower_;
    int count_ = 0;
    std::vector<T> slots_;
};
