// Tests of the form layer's intrusive list: removal anywhere keeps the rest, and the list's end with it.
#include "windows/form/intrusive_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace tintavo {
namespace {

struct Item : IntrusiveList<Item>::Link {
    explicit Item(int v) : value{v} {}
    int value;
};

std::vector<int> Values(const IntrusiveList<Item>& list) {
    std::vector<int> values;
    for (const Item& item : list)
        values.push_back(item.value);
    return values;
}

TEST(IntrusiveList, RemovingAnItemKeepsTheOthersInOrderAndAppendingGoesOnAtTheEnd) {
    Item one{1}, two{2}, three{3}, four{4}, five{5};
    IntrusiveList<Item> list;
    for (Item* item : {&one, &two, &three, &four})
        list.Append(*item);
    list.Remove(two); // from the middle: what followed it stays
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3, 4}));
    list.Remove(four); // the last: the next append goes after the new last item
    list.Append(five);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3, 5}));
    list.Remove(one);
    list.Remove(two); // not in the list: nothing happens
    list.Remove(three);
    list.Remove(five);
    EXPECT_TRUE(Values(list).empty());
    list.Append(four); // emptied: starts again
    EXPECT_EQ(Values(list), (std::vector<int>{4}));
}

} // namespace
} // namespace tintavo
