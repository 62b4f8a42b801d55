#pragma once

#include "core/store/ThreadStore.h"

namespace cadro {

/// Opened by every store operation: the outermost scope is the transaction.
/// Changes made while any scope is open are written once and then announced
/// once, when the outermost scope closes.
class ThreadStore::ChangeScope {
  public:
    explicit ChangeScope(ThreadStore& store);
    ~ChangeScope();
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

  private:
    ThreadStore& store_;
};

}  // namespace cadro
