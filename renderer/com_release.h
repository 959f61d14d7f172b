// Gives back the one reference an owned Direct3D pointer holds and clears it; nothing when it is null.
#pragma once

template <typename T>
void ReleaseAndClear(T*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}
