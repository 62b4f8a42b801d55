#pragma once

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace cadro {

/// Keeps a subscription alive; dropping it unsubscribes. It may safely outlive
/// the object it subscribed to.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
        if (cancel_)
            std::exchange(cancel_, {})();
    }

  private:
    std::function<void()> cancel_;
};

/// A list of subscribers told synchronously about events of type `Event`.
/// Subscribers may unsubscribe (or subscribe others) while being notified.
template <typename Event>
class Observable {
  public:
    using Callback = std::function<void(const Event&)>;

    [[nodiscard]] Subscription subscribe(Callback callback) {
        auto id = nextId_++;
        (*subscribers_)[id] = std::make_shared<Callback>(std::move(callback));
        std::weak_ptr<Map> weak = subscribers_;
        return Subscription([weak, id] {
            if (auto map = weak.lock())
                map->erase(id);
        });
    }

    void notify(const Event& event) const {
        // Copy first: a callback may change the subscriber list.
        auto snapshot = *subscribers_;
        for (const auto& [id, callback] : snapshot) {
            if (subscribers_->count(id))
                (*callback)(event);
        }
    }

  private:
    using Map = std::map<unsigned long, std::shared_ptr<Callback>>;
    std::shared_ptr<Map> subscribers_ = std::make_shared<Map>();
    unsigned long nextId_ = 0;
};

}  // namespace cadro
