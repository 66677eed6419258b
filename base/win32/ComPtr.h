// An owned COM interface pointer: released when it goes, moved but never
// copied, so every path out of a shell call lets go of what it took.
#pragma once

#include <objbase.h>

#include <utility>

namespace pim {

template <typename T>
class TComPtr {
public:
    TComPtr() = default;
    // Takes over a reference the caller owns.
    explicit TComPtr(T* p) : p_(p) {}
    ~TComPtr() { Reset(); }
    TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    // A new reference to p (nullptr stays empty).
    static TComPtr Share(T* p) {
        if (p) p->AddRef();
        return TComPtr(p);
    }

    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held first.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Another interface of the same object; empty when it has none.
    template <typename U>
    TComPtr<U> As(REFIID iid) const {
        TComPtr<U> other;
        if (p_) p_->QueryInterface(iid, other.PutVoid());
        return other;
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

}  // namespace pim
