// CellPriorityQueue: the priority-ordered cell buffer of a queueing system,
// a skew heap of nodes that hold the cells by value. Nodes are recycled
// through one free list shared by every queue, so a warmed-up run allocates
// nothing per cell, a queue holds nodes only for the cells it holds, and
// the node a cell is put in is the one a cell last left, still in the cache.
#pragma once
#include <cstddef>

#include "core/Cell.h"

class CellPriorityQueue {
 public:
  CellPriorityQueue() = default;
  ~CellPriorityQueue();  // releases every cell left
  CellPriorityQueue(const CellPriorityQueue&) = delete;
  CellPriorityQueue& operator=(const CellPriorityQueue&) = delete;

  void Insert(Cell&& c);
  // Moves the first cell (see SortsBefore) into out; false, with out
  // untouched, when the queue is empty.
  bool Pop(Cell& out);
  // The first cell, or nullptr when the queue is empty.
  const Cell* Peek() const { return root_ ? &root_->cell : nullptr; }
  bool IsEmpty() const { return root_ == nullptr; }
  size_t Size() const { return size_; }

 private:
  struct Node {
    Cell cell;
    Node* left = nullptr;
    Node* right = nullptr;  // also links the free list
  };

  static Node* Merge(Node* a, Node* b);

  Node* root_ = nullptr;
  size_t size_ = 0;
};
