// The channel between threads: order, closing from either side, time-outs
// and several producers.
#include "base/channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::base {
namespace {

using namespace std::chrono_literals;

TEST(Channel, DeliversInOrderAndDrainsQueuedMessagesAfterTheLastSenderLeft) {
  auto [sender, receiver] = channel<std::string>();
  EXPECT_TRUE(sender.send("a"));
  EXPECT_TRUE(sender.send("b"));
  { auto gone = std::move(sender); }
  auto first = receiver.recv();
  ASSERT_TRUE(first);
  EXPECT_EQ(first.value(), "a");
  auto second = receiver.recv_for(10ms);
  ASSERT_TRUE(second);
  EXPECT_EQ(second.value(), "b");
  auto closed = receiver.recv();
  ASSERT_FALSE(closed);
  EXPECT_EQ(closed.error(), RecvError::Disconnected);
  auto closed_for = receiver.recv_for(10ms);
  ASSERT_FALSE(closed_for);
  EXPECT_EQ(closed_for.error(), RecvError::Disconnected);
}

TEST(Channel, StaysOpenWhileAnyCopyOfTheSenderLives) {
  auto [sender, receiver] = channel<int>();
  auto copy = sender;
  { auto gone = std::move(sender); }
  auto waited = receiver.recv_for(1ms);
  ASSERT_FALSE(waited);
  EXPECT_EQ(waited.error(), RecvError::Timeout);
  auto polled = receiver.try_recv();
  ASSERT_FALSE(polled);
  EXPECT_EQ(polled.error(), RecvError::Timeout);
  copy.send(7);
  auto got = receiver.try_recv();
  ASSERT_TRUE(got);
  EXPECT_EQ(got.value(), 7);
}

TEST(Channel, SendFailsOnceTheReceiverIsGone) {
  auto [sender, receiver] = channel<int>();
  EXPECT_TRUE(sender.send(1));
  { auto gone = std::move(receiver); }
  EXPECT_FALSE(sender.send(2));
}

TEST(Channel, MovingAReceiverOverAnotherClosesTheOverwrittenChannel) {
  auto [first_sender, first_receiver] = channel<int>();
  auto [second_sender, second_receiver] = channel<int>();
  first_receiver = std::move(second_receiver);
  EXPECT_FALSE(first_sender.send(1));
  EXPECT_TRUE(second_sender.send(2));
  EXPECT_EQ(first_receiver.recv().value(), 2);
}

TEST(Channel, BlockingReceiveWakesForAnotherThread) {
  auto [sender, receiver] = channel<int>();
  std::thread producer([s = std::move(sender)] {
    std::this_thread::sleep_for(20ms);
    s.send(42);
  });
  auto got = receiver.recv();
  producer.join();
  ASSERT_TRUE(got);
  EXPECT_EQ(got.value(), 42);
  EXPECT_EQ(receiver.recv().error(), RecvError::Disconnected);
}

TEST(Channel, ManyProducersLoseNothingAndCloseWhenAllAreDone) {
  constexpr int kThreads = 4;
  constexpr int kEach = 1000;
  auto [sender, receiver] = channel<int>();
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t) {
    producers.emplace_back([s = sender, t] {
      for (int i = 0; i < kEach; ++i) s.send(t * kEach + i);
    });
  }
  { auto gone = std::move(sender); }
  std::vector<int> last_seen(kThreads, -1);
  int count = 0;
  while (auto got = receiver.recv()) {
    int thread = got.value() / kEach;
    // Each producer's messages arrive in the order it sent them.
    EXPECT_GT(got.value(), last_seen[thread]);
    last_seen[thread] = got.value();
    ++count;
  }
  for (auto& p : producers) p.join();
  EXPECT_EQ(count, kThreads * kEach);
}

}  // namespace
}  // namespace vantrel::base
