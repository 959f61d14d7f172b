// Reference counting shared by the objects of the graphics layer.
//
// As in Direct3D 9 there are two counts. The public count is what AddRef and Release return; an object
// with a public reference holds one public reference on its owner (a resource on its device, the device
// on the Direct3D object), taken when the count leaves 0 and given back when it returns to 0. The internal
// count is held by the device while the object is bound (texture, render target, shader) or used by a
// recorded command, and does not show in the public count. The object is destroyed when both are 0.
#pragma once

#include <atomic>

#include "renderer/d3d9/d3d9.h"

template <class Interface>
class CTQD3DObject : public Interface {
 public:
  ULONG AddRef() override {
    const ULONG count = ++references_;
    if (count == 1 && owner_) owner_->AddRef();
    return count;
  }

  ULONG Release() override {
    ULONG count = references_.load();
    do {
      if (count == 0) return 0;
    } while (!references_.compare_exchange_weak(count, count - 1));
    if (count != 1) return count - 1;
    // The owner is released last: that may destroy the device, which gives back its internal
    // references and so may destroy this object; nothing here touches it afterwards.
    IUnknown* owner = owner_;
    if (internal_references_ == 0) {
      Destroy();
      delete this;
    }
    if (owner) owner->Release();
    return 0;
  }

  void AddRefInternal() { ++internal_references_; }

  void ReleaseInternal() {
    if (internal_references_ == 0) return;
    if (--internal_references_ == 0 && references_.load() == 0) {
      Destroy();
      delete this;
    }
  }

 protected:
  // The first public reference is the creator's; it already counts on the owner.
  void SetOwner(IUnknown* owner) {
    owner_ = owner;
    if (owner_) owner_->AddRef();
  }
  // Gives back everything the object holds; called once, just before the object is freed.
  virtual void Destroy() = 0;

 private:
  std::atomic<ULONG> references_{1};
  ULONG internal_references_ = 0;
  IUnknown* owner_ = nullptr;
};

// A number that names one object for the life of the process (pointers are reused after a release).
unsigned long long D3D9NextObjectId();
