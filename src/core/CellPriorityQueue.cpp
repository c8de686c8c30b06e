// CellPriorityQueue: skew-heap merge, insert and pop, and the node free list.
#include "core/CellPriorityQueue.h"

#include <algorithm>
#include <utility>

namespace {
// Nodes of the first block: most queues of a large network never hold more
// than a cell or two, and there are thousands of them. Later blocks double
// the queue's capacity, up to kMaxBlockNodes nodes.
constexpr size_t kFirstBlockNodes = 2;
constexpr size_t kMaxBlockNodes = 4096;
}  // namespace

// merge(a, b): the smaller root (a on ties) stays on top; if its left child
// is empty, the other heap becomes that child, otherwise the left child
// becomes merge(right child, other heap) and the old left child moves right.
// The recursion only ever descends into the new left child, so it runs as a
// loop that keeps the slot where the next merge result belongs.
CellPriorityQueue::Node* CellPriorityQueue::Merge(Node* a, Node* b) {
  Node* result = nullptr;
  Node** slot = &result;
  for (;;) {
    if (a == nullptr) {
      *slot = b;
      break;
    }
    if (b == nullptr) {
      *slot = a;
      break;
    }
    if (SortsBefore(b->cell, a->cell)) std::swap(a, b);
    *slot = a;
    Node* const l = a->left;
    if (l == nullptr) {
      a->left = b;
      break;
    }
    Node* const r = a->right;
    a->right = l;
    slot = &a->left;
    a = r;
  }
  return result;
}

CellPriorityQueue::Node* CellPriorityQueue::TakeNode() {
  if (free_ == nullptr) {
    const size_t n =
        blocks_.empty() ? kFirstBlockNodes : std::min(kMaxBlockNodes, 2 * (size_ + 1));
    blocks_.emplace_back(new Node[n]);
    Node* block = blocks_.back().get();
    for (size_t i = 0; i < n; ++i) {
      block[i].right = free_;
      free_ = &block[i];
    }
  }
  Node* node = free_;
  free_ = node->right;
  node->left = nullptr;
  node->right = nullptr;
  return node;
}

void CellPriorityQueue::Insert(Cell&& c) {
  Node* node = TakeNode();
  node->cell = std::move(c);
  root_ = Merge(root_, node);
  ++size_;
}

bool CellPriorityQueue::Pop(Cell& out) {
  if (root_ == nullptr) return false;
  Node* top = root_;
  out = std::move(top->cell);
  root_ = Merge(top->right, top->left);
  top->left = nullptr;
  top->right = free_;
  free_ = top;
  --size_;
  return true;
}
