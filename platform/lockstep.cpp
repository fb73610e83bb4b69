#include "platform/lockstep.hpp"

#include <cstdio>
#include <cstdlib>

namespace korveld::platform {
namespace {

thread_local int tCurrentId = 0;
constexpr int kMainOrder = 1 << 30;

}  // namespace

std::shared_ptr<Lockstep> Lockstep::Create() { return std::shared_ptr<Lockstep>(new Lockstep()); }

Lockstep::~Lockstep() {
  // Threads still blocked here keep a reference to us, so they can only be
  // threads that have ended and not been joined.
  for (auto& [id, p] : participants_) {
    if (p.thread.joinable()) p.thread.join();
  }
}

void Lockstep::AttachMain() {
  std::lock_guard<std::mutex> lock(mutex_);
  mainId_ = nextId_++;
  Participant& p = participants_[mainId_];
  p.state = State::kRunning;
  p.order = kMainOrder;
  baton_ = mainId_;
  tCurrentId = mainId_;
}

int Lockstep::Spawn(std::function<void()> body) {
  std::unique_lock<std::mutex> lock(mutex_);
  const int self = tCurrentId;
  const int id = nextId_++;
  Participant& p = participants_[id];
  p.state = State::kSleeping;
  p.wake = now_;
  p.order = id;
  // The thread keeps the clock alive: a thread left blocked when its owner
  // goes away never touches freed memory.
  std::shared_ptr<Lockstep> keep = shared_from_this();
  p.thread = std::thread([keep, id, body = std::move(body)] {
    tCurrentId = id;
    {
      std::unique_lock<std::mutex> l(keep->mutex_);
      keep->cv_.wait(l, [&] { return keep->baton_ == id; });
    }
    body();
    std::unique_lock<std::mutex> l(keep->mutex_);
    Participant& me = keep->participants_[id];
    me.state = State::kEnded;
    for (auto& [otherId, other] : keep->participants_) {
      if (other.state == State::kJoining && other.joining == id) {
        other.state = State::kSleeping;
        other.wake = keep->now_;
      }
    }
    keep->PassBaton(l, id);
  });
  // Let the new thread run up to its first sleep before the caller goes on.
  Participant& caller = participants_[self];
  caller.state = State::kSleeping;
  caller.wake = now_;
  PassBaton(lock, self);
  return id;
}

void Lockstep::SleepUntil(Ticks wake) {
  std::unique_lock<std::mutex> lock(mutex_);
  const int self = tCurrentId;
  Participant& p = participants_[self];
  p.state = State::kSleeping;
  p.wake = wake < now_ ? now_ : wake;
  PassBaton(lock, self);
}

void Lockstep::Wake(int id, Ticks wake) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = participants_.find(id);
  if (it == participants_.end() || it->second.state != State::kSleeping) return;
  it->second.wake = wake < now_ ? now_ : wake;
}

void Lockstep::Join(int id) {
  std::thread thread;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    const int self = tCurrentId;
    auto it = participants_.find(id);
    if (it == participants_.end()) return;
    if (it->second.state != State::kEnded) {
      Participant& me = participants_[self];
      me.state = State::kJoining;
      me.joining = id;
      me.wake = kNever;
      PassBaton(lock, self);
    }
    thread = std::move(participants_[id].thread);
    participants_.erase(id);
  }
  if (thread.joinable()) thread.join();
}

void Lockstep::AddObserver(Observer observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observers_.push_back(std::move(observer));
}

int Lockstep::LiveThreads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int live = 0;
  for (const auto& [id, p] : participants_) {
    if (id != mainId_ && p.state != State::kEnded) ++live;
  }
  return live;
}

void Lockstep::PassBaton(std::unique_lock<std::mutex>& lock, int self) {
  int next = 0;
  const Participant* best = nullptr;
  for (auto& [id, p] : participants_) {
    if (p.state != State::kSleeping || p.wake == kNever) continue;
    if (!best || p.wake < best->wake || (p.wake == best->wake && p.order < best->order)) {
      best = &p;
      next = id;
    }
  }
  if (!best) {
    // Every participant waits for another: a bug in the caller, never a state
    // a run can recover from.
    std::fprintf(stderr, "lockstep: every thread is waiting; nothing can run\n");
    std::abort();
  }
  if (best->wake > now_) {
    const Ticks from = now_;
    now_ = best->wake;
    for (auto& observer : observers_) observer(from, now_);
  }
  participants_[next].state = State::kRunning;
  baton_ = next;
  cv_.notify_all();
  if (participants_[self].state == State::kEnded) return;
  cv_.wait(lock, [&] { return baton_ == self; });
}

}  // namespace korveld::platform
