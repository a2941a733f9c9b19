#pragma once

#include <QObject>
#include <memory>

namespace vellicor::qt {

// Hands a Qt object to the event loop for deletion instead of deleting it at
// once. A menu that is still delivering the action that removed it, or a
// timer still inside its own timeout, is then freed only after it has returned
// to the loop.
struct DeleteLater {
  void operator()(QObject* object) const {
    if (object != nullptr) {
      object->deleteLater();
    }
  }
};

template <class T>
using DeferredPtr = std::unique_ptr<T, DeleteLater>;

template <class T, class... Args>
DeferredPtr<T> makeDeferred(Args&&... args) {
  return DeferredPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace vellicor::qt
