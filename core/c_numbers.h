#pragma once
// While a CNumbersScope lives, printf and scanf on this thread write and read
// numbers in the C locale's form ('.' as the decimal point), whatever the
// process locale: for texts composed from a printf format.
class CNumbersScope {
public:
    CNumbersScope();
    ~CNumbersScope();
    CNumbersScope(const CNumbersScope&) = delete;
    CNumbersScope& operator=(const CNumbersScope&) = delete;

private:
    void* c_;
    void* previous_;
};
