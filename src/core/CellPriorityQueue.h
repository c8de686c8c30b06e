// CellPriorityQueue: the priority-ordered cell buffer of a queueing system,
// a skew heap of nodes that hold the cells by value. Nodes are recycled
// through a free list, so a warmed-up queue allocates nothing per cell.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "core/Cell.h"

class CellPriorityQueue {
 public:
  CellPriorityQueue() = default;
  ~CellPriorityQueue() = default;  // the node blocks release every cell left
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
  Node* TakeNode();

  Node* root_ = nullptr;
  Node* free_ = nullptr;
  size_t size_ = 0;
  std::vector<std::unique_ptr<Node[]>> blocks_;
};
