// CellPriorityQueue: skew-heap merge, insert and pop; nodes from the shared free list.
#include "core/CellPriorityQueue.h"

#include <new>
#include <utility>

#include "core/FreeListAllocator.h"

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

namespace {
template <class Node>
using NodeList = freelist::Blocks<sizeof(Node)>;
}  // namespace

// The tree is taken apart by rotations, each node freed once it has no left
// child: no recursion, whatever the tree's shape.
CellPriorityQueue::~CellPriorityQueue() {
  Node* n = root_;
  while (n != nullptr) {
    if (Node* l = n->left) {
      n->left = l->right;
      l->right = n;
      n = l;
    } else {
      Node* next = n->right;
      n->~Node();
      NodeList<Node>::Give(n);
      n = next;
    }
  }
}

void CellPriorityQueue::Insert(Cell&& c) {
  Node* node = new (NodeList<Node>::Take()) Node{std::move(c)};
  root_ = Merge(root_, node);
  ++size_;
}

bool CellPriorityQueue::Pop(Cell& out) {
  if (root_ == nullptr) return false;
  Node* top = root_;
  out = std::move(top->cell);
  root_ = Merge(top->right, top->left);
  top->~Node();
  NodeList<Node>::Give(top);
  --size_;
  return true;
}
