// LinkedList: the doubly linked list the event queue is built on. The list
// owns its nodes: DeleteAll and the destructor destroy them.
#pragma once

#include <cstdint>

class LinkedList;

class ListNode {
public:
    ListNode() = default;
    virtual ~ListNode();
    ListNode(const ListNode&) = delete;
    ListNode& operator=(const ListNode&) = delete;

    virtual ListNode* Prev() const { return prev; }
    virtual ListNode* Next() const { return next; }

private:
    friend class LinkedList;
    ListNode* prev = nullptr;
    ListNode* next = nullptr;
    LinkedList* owner = nullptr;
};

class LinkedList {
public:
    LinkedList() = default;
    virtual ~LinkedList();
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;

    virtual ListNode* Head() const { return head; }
    virtual ListNode* Tail() const { return tail; }
    virtual ListNode* Current() const { return current; }
    virtual uint32_t Count() const { return count; }
    // Makes the node at 1-based `position` current; 0 when the list is shorter.
    virtual int Seek(uint32_t position);
    // 1-based position of the current node; 0 when there is none.
    virtual uint32_t Position() const;
    virtual void DeleteAll();
    // Links `node` after the current node (or as the only node) and makes it current.
    virtual void Insert(ListNode* node);
    // Takes `node` out; the current node becomes its successor, or its
    // predecessor when it was the tail. The caller owns the node afterwards.
    virtual void Unlink(ListNode* node);

private:
    ListNode* head = nullptr;
    ListNode* tail = nullptr;
    ListNode* current = nullptr;
    uint32_t count = 0;
};
