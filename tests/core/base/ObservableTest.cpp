#include "core/base/Observable.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

TEST(Observable, DeliversUntilTheSubscriptionIsDropped) {
    Observable<int> subject;
    std::vector<int> seen;
    {
        auto sub = subject.subscribe([&](int v) { seen.push_back(v); });
        subject.notify(1);
    }
    subject.notify(2);
    EXPECT_EQ(seen, std::vector<int>{1});
}

TEST(Observable, SubscribersMayCancelThemselvesWhileNotified) {
    Observable<int> subject;
    int calls = 0;
    Subscription sub;
    sub = subject.subscribe([&](int) {
        ++calls;
        sub.cancel();
    });
    subject.notify(1);
    subject.notify(2);
    EXPECT_EQ(calls, 1);
}

TEST(Observable, SubscriptionMayOutliveTheSubject) {
    Subscription sub;
    {
        Observable<int> subject;
        sub = subject.subscribe([](int) {});
    }
    sub.cancel();  // must not touch freed memory
}

}  // namespace
}  // namespace cadro
