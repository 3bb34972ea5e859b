// Gives a variable a value for as long as the holder lives and puts the old value back
// on every way out, an exception included: a flag that says "inside this call" can then
// never stay set after the call failed.
#pragma once
#include <utility>

template <typename T>
class ScopedChange {
public:
  ScopedChange(T& variable, T value) : variable_(variable), old_(std::move(variable)) { variable_ = std::move(value); }
  ~ScopedChange() { variable_ = std::move(old_); }
  ScopedChange(const ScopedChange&) = delete;
  ScopedChange& operator=(const ScopedChange&) = delete;

private:
  T& variable_;
  T old_;
};
