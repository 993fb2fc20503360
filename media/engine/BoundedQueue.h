#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace engine {

// A queue of owning pointers (or other movable values) between two threads, holding at most
// `capacity` items so that a slow consumer bounds the memory instead of growing it.
// close() wakes every waiter: producers then fail, consumers drain what is left.
template <typename T> class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t capacity)
        : capacity_(capacity ? capacity : 1) {}

    // Adds the item unless the queue is full or closed; never waits.
    bool tryPush(T& item) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_ || items_.size() >= capacity_)
            return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }

    // Waits for room; returns false (item untouched) when the queue was closed.
    bool push(T& item) {
        std::unique_lock<std::mutex> lock(mutex_);
        notFull_.wait(lock, [this] { return closed_ || items_.size() < capacity_; });
        if (closed_)
            return false;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }

    // Waits for an item; returns false once the queue is closed and empty.
    bool pop(T& item) {
        std::unique_lock<std::mutex> lock(mutex_);
        notEmpty_.wait(lock, [this] { return closed_ || !items_.empty(); });
        if (items_.empty())
            return false;
        item = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return true;
    }

    bool full() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_.size() >= capacity_;
    }

    std::size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_.size();
    }

    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<T> items_; // guarded by mutex_
    bool closed_ = false; // guarded by mutex_
};

} // namespace engine

namespace engine {

// Two bounded lanes with one consumer: pictures and sound reach the encoder each with a
// bound of its own (a few big pictures, many small sound chunks), and the consumer takes
// whatever is there, sound first since it is small and must not wait behind pictures.
template <typename A, typename B> class TwoLaneQueue {
public:
    TwoLaneQueue(std::size_t capacityA, std::size_t capacityB)
        : capacityA_(capacityA ? capacityA : 1)
        , capacityB_(capacityB ? capacityB : 1) {}

    bool pushA(A& item) { return push(a_, capacityA_, item); }
    bool pushB(B& item) { return push(b_, capacityB_, item); }

    // Waits for an item of either lane; returns false once closed and both lanes are empty.
    // Exactly one of *a and *b is filled.
    bool pop(A* a, B* b) {
        std::unique_lock<std::mutex> lock(mutex_);
        notEmpty_.wait(lock, [this] { return closed_ || !a_.empty() || !b_.empty(); });
        if (!b_.empty()) {
            *b = std::move(b_.front());
            b_.pop_front();
        } else if (!a_.empty()) {
            *a = std::move(a_.front());
            a_.pop_front();
        } else {
            return false;
        }
        notFull_.notify_all();
        return true;
    }

    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

private:
    template <typename T> bool push(std::deque<T>& lane, std::size_t capacity, T& item) {
        std::unique_lock<std::mutex> lock(mutex_);
        notFull_.wait(lock, [&] { return closed_ || lane.size() < capacity; });
        if (closed_)
            return false;
        lane.push_back(std::move(item));
        notEmpty_.notify_one();
        return true;
    }

    const std::size_t capacityA_;
    const std::size_t capacityB_;
    std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<A> a_;     // guarded by mutex_
    std::deque<B> b_;     // guarded by mutex_
    bool closed_ = false; // guarded by mutex_
};

} // namespace engine
