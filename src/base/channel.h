// An unbounded multi-producer, single-consumer channel between threads.
//
// Senders are cheap copyable handles; the channel closes for the receiver when
// the last sender is gone, and closes for the senders when the receiver is
// gone. Messages already queued are still delivered after the last sender
// left, so closing never loses work. Header-only because it is a template.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "base/result.h"

namespace vantrel::base {

/// Why a receive returned no message.
enum class RecvError {
  Timeout,       ///< the time limit ran out with the channel still open
  Disconnected,  ///< every sender is gone and the queue is empty
};

namespace channel_detail {

template <class T>
struct Shared {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<T> queue;
  size_t senders = 0;
  bool receiver_alive = true;
};

}  // namespace channel_detail

template <class T>
class Receiver;

/// The sending side; copy it to add a producer.
template <class T>
class Sender {
 public:
  Sender(const Sender& other) : shared_(other.shared_) { attach(); }
  Sender(Sender&& other) noexcept = default;
  Sender& operator=(Sender other) noexcept {
    std::swap(shared_, other.shared_);
    return *this;
  }
  ~Sender() { detach(); }

  /// Queues `value`. False when the receiver is gone (the value is dropped).
  bool send(T value) const {
    {
      std::lock_guard lock(shared_->mutex);
      if (!shared_->receiver_alive) return false;
      shared_->queue.push_back(std::move(value));
    }
    shared_->ready.notify_one();
    return true;
  }

 private:
  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> channel();

  explicit Sender(std::shared_ptr<channel_detail::Shared<T>> shared) : shared_(std::move(shared)) { attach(); }

  void attach() {
    std::lock_guard lock(shared_->mutex);
    ++shared_->senders;
  }
  void detach() {
    if (!shared_) return;  // moved from
    bool closed = false;
    {
      std::lock_guard lock(shared_->mutex);
      closed = --shared_->senders == 0;
    }
    if (closed) shared_->ready.notify_all();
  }

  std::shared_ptr<channel_detail::Shared<T>> shared_;
};

/// The receiving side; there is exactly one.
template <class T>
class Receiver {
 public:
  Receiver(Receiver&&) noexcept = default;
  /// Closes the channel this receiver held before.
  Receiver& operator=(Receiver&& other) noexcept {
    if (this != &other) {
      close();
      shared_ = std::move(other.shared_);
    }
    return *this;
  }
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;
  ~Receiver() { close(); }

  /// Waits without time limit for the next message.
  Result<T, RecvError> recv() {
    std::unique_lock lock(shared_->mutex);
    shared_->ready.wait(lock, [&] { return !shared_->queue.empty() || shared_->senders == 0; });
    return take(lock);
  }

  /// Waits at most `limit` for the next message.
  template <class Rep, class Period>
  Result<T, RecvError> recv_for(std::chrono::duration<Rep, Period> limit) {
    std::unique_lock lock(shared_->mutex);
    bool woke = shared_->ready.wait_for(lock, limit, [&] { return !shared_->queue.empty() || shared_->senders == 0; });
    if (!woke) return err(RecvError::Timeout);
    return take(lock);
  }

  /// The next message if one is queued, without waiting.
  Result<T, RecvError> try_recv() {
    std::unique_lock lock(shared_->mutex);
    if (shared_->queue.empty() && shared_->senders != 0) return err(RecvError::Timeout);
    return take(lock);
  }

 private:
  template <class U>
  friend std::pair<Sender<U>, Receiver<U>> channel();

  explicit Receiver(std::shared_ptr<channel_detail::Shared<T>> shared) : shared_(std::move(shared)) {}

  void close() {
    if (!shared_) return;  // moved from
    std::lock_guard lock(shared_->mutex);
    shared_->receiver_alive = false;
    shared_->queue.clear();
  }

  /// Pops the front message, or reports the closed channel. Called with the
  /// lock held and the wait condition true.
  Result<T, RecvError> take(std::unique_lock<std::mutex>&) {
    if (shared_->queue.empty()) return err(RecvError::Disconnected);
    T value = std::move(shared_->queue.front());
    shared_->queue.pop_front();
    return value;
  }

  std::shared_ptr<channel_detail::Shared<T>> shared_;
};

/// A new open channel with one sender and its receiver.
template <class T>
std::pair<Sender<T>, Receiver<T>> channel() {
  auto shared = std::make_shared<channel_detail::Shared<T>>();
  return {Sender<T>(shared), Receiver<T>(shared)};
}

}  // namespace vantrel::base
