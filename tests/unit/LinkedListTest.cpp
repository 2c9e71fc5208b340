// The list the event queue is built on.
#include <gtest/gtest.h>

#include "core/LinkedList.h"

namespace {

struct Numbered : ListNode {
    explicit Numbered(int n) : number(n) {}
    int number;
};

std::vector<int> Contents(const LinkedList& list)
{
    std::vector<int> numbers;
    for (ListNode* node = list.Head(); node != nullptr; node = node->Next()) {
        numbers.push_back(static_cast<Numbered*>(node)->number);
    }
    return numbers;
}

TEST(LinkedList, InsertLinksAfterTheCurrentNodeAndMovesTheTail)
{
    LinkedList list;
    list.Insert(new Numbered(1));
    list.Insert(new Numbered(2));
    list.Insert(new Numbered(4));
    ASSERT_EQ(list.Seek(2), 1);
    list.Insert(new Numbered(3));
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.Position(), 3u);
    EXPECT_EQ(static_cast<Numbered*>(list.Tail())->number, 4);
}

TEST(LinkedList, UnlinkMovesCurrentToTheSuccessorOrThePredecessorAtTheTail)
{
    LinkedList list;
    for (int n = 1; n <= 3; ++n) {
        list.Insert(new Numbered(n));
    }
    list.Seek(2);
    ListNode* middle = list.Current();
    list.Unlink(middle);
    delete middle;
    EXPECT_EQ(static_cast<Numbered*>(list.Current())->number, 3);
    ListNode* tail = list.Tail();
    list.Unlink(tail);
    delete tail;
    EXPECT_EQ(static_cast<Numbered*>(list.Current())->number, 1);
    EXPECT_EQ(Contents(list), std::vector<int>{1});
}

TEST(LinkedList, SeekOutsideTheListFails)
{
    LinkedList list;
    EXPECT_EQ(list.Seek(1), 0);
    list.Insert(new Numbered(1));
    EXPECT_EQ(list.Seek(0), 0);
    EXPECT_EQ(list.Seek(2), 0);
    EXPECT_EQ(list.Seek(1), 1);
}

TEST(LinkedList, QueueUseKeepsFirstInFirstOut)
{
    LinkedList list;
    for (int n = 1; n <= 5; ++n) {
        list.Insert(new Numbered(n));
        if (n == 3) {
            // Take the head as the event queue does, then make the tail current again.
            ListNode* head = list.Head();
            list.Unlink(head);
            delete head;
            list.Seek(list.Count());
        }
    }
    EXPECT_EQ(Contents(list), (std::vector<int>{2, 3, 4, 5}));
    list.DeleteAll();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Head(), nullptr);
}

}  // namespace
