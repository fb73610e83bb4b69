// A virtual clock that runs several threads in lockstep.
//
// Every thread taking part (the program's main thread, the players' threads,
// the headless sound devices' notifiers) holds a baton in turn: exactly one
// runs at any moment, and a thread gives the baton up only by sleeping until
// a virtual time or waiting for another thread to end. The next holder is the
// sleeper with the earliest wake time (ties go to the earlier-started thread,
// the main thread last), and the clock jumps to its wake time. Because every
// hand-over depends only on virtual times, the same program with the same
// inputs interleaves the same way, and renders the same frames and samples,
// on every run.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korveld::platform {

class Lockstep : public std::enable_shared_from_this<Lockstep> {
 public:
  using Ticks = std::int64_t;
  // 441000 ticks a second: one sample at 44100 Hz is 10 ticks, 1 ms is 441.
  static constexpr Ticks kTicksPerSecond = 441000;
  static constexpr Ticks kTicksPerSample = 10;
  static constexpr Ticks kNever = std::numeric_limits<Ticks>::max();

  // Observers see every advance of the clock, before the woken thread runs
  // (the headless sound devices play and capture their samples here).
  using Observer = std::function<void(Ticks from, Ticks to)>;

  static std::shared_ptr<Lockstep> Create();
  ~Lockstep();

  // The calling thread joins as the main participant and holds the baton.
  void AttachMain();

  Ticks Now() const { return now_; }

  // Starts a participant thread. It runs before the caller continues, until it
  // first sleeps or ends. Returns its id (> 0).
  int Spawn(std::function<void()> body);

  // Called by the baton holder only.
  void SleepUntil(Ticks wake);
  void SleepFor(Ticks ticks) { SleepUntil(now_ + ticks); }
  // Reschedules a sleeping participant (a device notifier woken by new work).
  void Wake(int id, Ticks wake);
  // Waits until participant `id` has ended and joins its thread.
  void Join(int id);

  void AddObserver(Observer observer);

  // Participants that have not ended (the main thread excluded).
  int LiveThreads() const;

 private:
  Lockstep() = default;

  enum class State { kRunning, kSleeping, kJoining, kEnded };
  struct Participant {
    State state = State::kSleeping;
    Ticks wake = 0;
    int order = 0;    // tie-break: lower runs first
    int joining = 0;  // the participant this one waits for
    std::thread thread;
  };

  // Hands the baton to the next participant; the caller then waits for it
  // to come back unless it has ended. Lock held throughout.
  void PassBaton(std::unique_lock<std::mutex>& lock, int self);

  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::map<int, Participant> participants_;
  std::vector<Observer> observers_;
  Ticks now_ = 0;
  int baton_ = 0;
  int nextId_ = 1;
  int mainId_ = 0;
};

}  // namespace korveld::platform
