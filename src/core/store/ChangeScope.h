#pragma once

#include "core/store/ThreadStore.h"

namespace cadro {

/// Opened by every store operation. Changes made while any scope is open are
/// announced once, when the outermost scope closes.
class ThreadStore::ChangeScope {
  public:
    explicit ChangeScope(ThreadStore& store) : store_(store) { ++store_.scopeDepth_; }
    ~ChangeScope();
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

  private:
    ThreadStore& store_;
};

}  // namespace cadro
