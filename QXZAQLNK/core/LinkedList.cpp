#include "core/LinkedList.h"

ListNode::~ListNode() = default;

LinkedList::~LinkedList()
{
    DeleteAll();
}

int LinkedList::Seek(uint32_t position)
{
    if (count == 0 || position == 0 || position > count) {
        return 0;
    }
    // Walked from the nearer end: the event queue seeks its tail after every take.
    ListNode* node = nullptr;
    if (position - 1 <= count - position) {
        node = head;
        for (uint32_t i = 1; i < position; ++i) {
            node = node->next;
        }
    } else {
        node = tail;
        for (uint32_t i = count; i > position; --i) {
            node = node->prev;
        }
    }
    current = node;
    return 1;
}

uint32_t LinkedList::Position() const
{
    uint32_t position = 1;
    for (ListNode* node = head; node != nullptr; node = node->next, ++position) {
        if (node == current) {
            return position;
        }
    }
    return 0;
}

void LinkedList::DeleteAll()
{
    while (head != nullptr) {
        ListNode* node = head;
        Unlink(node);
        delete node;
    }
}

void LinkedList::Insert(ListNode* node)
{
    node->owner = this;
    if (current == nullptr) {
        // An empty list (or no current node): the node goes at the tail.
        node->prev = tail;
        node->next = nullptr;
        if (tail != nullptr) {
            tail->next = node;
        } else {
            head = node;
        }
        tail = node;
    } else {
        node->prev = current;
        node->next = current->next;
        if (current->next != nullptr) {
            current->next->prev = node;
        }
        current->next = node;
        if (current == tail) {
            tail = node;
        }
    }
    current = node;
    ++count;
}

void LinkedList::Unlink(ListNode* node)
{
    if (node == nullptr || node->owner != this) {
        return;
    }
    if (current == node) {
        current = node->next != nullptr ? node->next : node->prev;
    }
    if (node->prev != nullptr) {
        node->prev->next = node->next;
    } else {
        head = node->next;
    }
    if (node->next != nullptr) {
        node->next->prev = node->prev;
    } else {
        tail = node->prev;
    }
    node->prev = node->next = nullptr;
    node->owner = nullptr;
    --count;
}
