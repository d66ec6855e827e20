// Tests of the form layer's handler: it calls its object's member, and an empty one does nothing.
#include "windows/form/handler.h"

#include <gtest/gtest.h>

namespace tintavo {
namespace {

struct Counter {
    void Count() { ++calls; }
    int calls = 0;
};

TEST(Handler, CallsTheMemberOfItsObjectAndAnEmptyOneNothing) {
    Counter first, second;
    const Handler handler = Handler::Of<&Counter::Count>(&second);
    handler();
    handler();
    EXPECT_EQ(first.calls, 0);
    EXPECT_EQ(second.calls, 2);
    Handler{}(); // as a menu item or timer without a handler runs it
}

} // namespace
} // namespace tintavo
