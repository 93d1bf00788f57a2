// The shape the picture, act and directory caches share: 16 singly linked
// buckets in order of use, a count per bucket, a byte total and a budget.
#pragma once
#include "base/Types.h"

constexpr int kCacheBuckets = 16;

// Moves n (found after prev in the bucket) to the bucket's head.
template <class Node>
void MoveToFront(Node** head, Node* prev, Node* n) {
    if (!prev) return;
    prev->next = n->next;
    n->next = *head;
    *head = n;
}

// While the total is at or above the budget, drops nodes from the tail of the
// fullest bucket (the lowest-numbered on a tie). A node the keep test holds on
// to stops the trim: nodes are in order of use, so every node before it is kept too.
template <class Node, class SizeFn, class FreeFn, class KeepFn>
void TrimFullestBucket(Node* (&buckets)[kCacheBuckets], u16 (&counts)[kCacheBuckets], u32* total,
                       u32 budget, SizeFn sizeOf, FreeFn free, KeepFn keep) {
    int fullest = 0;
    for (int b = 1; b < kCacheBuckets; ++b)
        if (counts[b] > counts[fullest]) fullest = b;
    while (*total >= budget && buckets[fullest]) {
        Node** tail = &buckets[fullest];
        while ((*tail)->next) tail = &(*tail)->next;
        Node* n = *tail;
        if (keep(n)) break;
        *tail = nullptr;
        --counts[fullest];
        *total -= sizeOf(n);
        free(n);
    }
}
