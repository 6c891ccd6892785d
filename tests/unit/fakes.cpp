#include "fakes.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "magnifier/tick_schedule.h"

namespace vistrel::fakes {

std::string Num(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string CaseName(std::string_view what) {
  std::string name;
  for (const char c : what) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (alnum) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

void FakeTimer::SetEnabled(bool e) {
  if (e && enabled_) return SetIdle(false);
  if (e != enabled_) switches.emplace_back(e, clock_.monotonic);
  if (e && !enabled_) nextDue_ = -1;  // restarts a full period from now
  enabled_ = e;
  idle_ = false;
}

void FakeTimer::SetIdle(bool idle) {
  if (!idle && idle_ && nextDue_ >= 0) {
    // On microseconds, as the shells do on milliseconds.
    const auto us = [](double seconds) { return static_cast<std::int64_t>(seconds * 1e6 + 0.5); };
    nextDue_ = static_cast<double>(tick_schedule::NextTick(
                   us(nextDue_), std::int64_t{interval_} * 1000, us(clock_.monotonic))) /
               1e6;
  }
  idle_ = idle && enabled_;
}

std::string FakeRegistryApi::Path(platform::KeyHandle root, std::string_view sub) {
  static const std::map<platform::KeyHandle, std::string> names{
      {0x80000000, "HKEY_CLASSES_ROOT"},     {0x80000001, "HKEY_CURRENT_USER"},
      {0x80000002, "HKEY_LOCAL_MACHINE"},    {0x80000003, "HKEY_USERS"},
      {0x80000004, "HKEY_PERFORMANCE_DATA"}, {0x80000005, "HKEY_CURRENT_CONFIG"},
      {0x80000006, "HKEY_DYN_DATA"}};
  std::string path = names.at(root);
  if (!sub.empty()) path += "\\" + std::string(sub);
  return path;
}

void FakeRegistryApi::Log(const std::string& entry) {
  log.push_back(entry);
  journal.Note(entry);
}

std::int32_t FakeRegistryApi::RegCreateKey(platform::KeyHandle root, std::string_view sub,
                                           platform::KeyHandle& key) {
  const std::string path = Path(root, sub);
  Log("create " + path);
  keys[path];
  key = next++;
  open[key] = path;
  return platform::kErrorSuccess;
}

std::int32_t FakeRegistryApi::RegOpenKeyEx(platform::KeyHandle root, std::string_view sub,
                                           std::uint32_t, std::uint32_t access,
                                           platform::KeyHandle& key) {
  const std::string path = Path(root, sub);
  Log(std::string(access == platform::kKeyWrite ? "open-write " : "open-read ") + path);
  if (sub.empty()) keys[path];
  if (!keys.count(path)) return platform::kErrorFileNotFound;
  key = next++;
  open[key] = path;
  return platform::kErrorSuccess;
}

std::int32_t FakeRegistryApi::RegQueryValueEx(platform::KeyHandle key, std::string_view name,
                                              std::uint32_t& type, char* data,
                                              std::uint32_t& length) {
  Log("query " + std::string(name));
  if (!open.count(key)) return platform::kErrorInvalidHandle;
  auto& values = keys[open[key]];
  auto it = values.find(std::string(name));
  if (it == values.end()) return platform::kErrorFileNotFound;
  type = platform::kRegSz;
  // A zero-byte value (stored as kZeroBytes) delivers nothing at all, not even a NUL.
  const std::string stored = it->second == kZeroBytes ? std::string() : it->second + '\0';
  if (stored.size() > length) {
    length = static_cast<std::uint32_t>(stored.size());
    return platform::kErrorMoreData;
  }
  std::copy(stored.begin(), stored.end(), data);
  length = static_cast<std::uint32_t>(stored.size());
  return platform::kErrorSuccess;
}

std::int32_t FakeRegistryApi::RegSetValueEx(platform::KeyHandle key, std::string_view name,
                                            std::uint32_t, std::string_view data) {
  Log("set " + std::string(name) + "=" + std::string(data));
  if (!open.count(key)) return platform::kErrorInvalidHandle;
  keys[open[key]][std::string(name)] = std::string(data);
  return platform::kErrorSuccess;
}

std::int32_t FakeRegistryApi::RegCloseKey(platform::KeyHandle key) {
  Log("close");
  return open.erase(key) ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

void FakeEventPump::After(double seconds, std::function<void()> body) {
  scheduled_.push_back({world_.clock.monotonic + seconds, std::move(body)});
}

bool FakeEventPump::RunDueScheduled() {
  bool ran = false;
  for (;;) {
    auto due = std::find_if(scheduled_.begin(), scheduled_.end(),
                            [&](const Event& e) { return e.at <= world_.clock.monotonic + 1e-9; });
    if (due == scheduled_.end()) return ran;
    auto body = std::move(due->body);
    scheduled_.erase(due);
    body();
    ran = true;
  }
}

namespace {
double NextDue(FakeTimer& timer, double now) {
  if (!timer.enabled_ || timer.idle_) return std::numeric_limits<double>::infinity();
  if (timer.nextDue_ < 0) timer.nextDue_ = now + timer.interval_ / 1000.0;
  return timer.nextDue_;
}
}  // namespace

void FakeEventPump::WaitForEvents(double maxSeconds) {
  if (++waits > maxWaits) throw std::runtime_error("the core keeps waiting without time passing");
  const double now = world_.clock.monotonic;
  double wake = now + std::max(0.0, maxSeconds);
  if (deliverTimers) {
    wake = std::min({wake, NextDue(world_.timer1, now), NextDue(world_.timer2, now)});
  }
  for (const auto& e : scheduled_) wake = std::min(wake, std::max(now, e.at));
  world_.clock.Advance(wake - now);
  if (deliverTimers) world_.FireDueTimers();
  RunDueScheduled();
}

FakeWorld::FakeWorld() {
  for (Journal* j : {&screen.journal, &window.journal, &tray.journal, &hotkeys.journal,
                     &registry.journal, &messages.journal, &runtime.journal}) {
    j->entries = &journal;
  }
}

void FakeWorld::FireDueTimers() {
  const double now = clock.monotonic + 1e-9;
  for (;;) {
    const double d1 = NextDue(timer1, clock.monotonic);
    const double d2 = NextDue(timer2, clock.monotonic);
    if (d1 > now && d2 > now) return;
    // The earlier tick first; the period restarts from the tick at the interval now in force.
    if (d1 <= d2) {
      timer1.nextDue_ = d1 + timer1.interval_ / 1000.0;
      ++timer1Ticks;
      timer1.ticks.push_back(d1);
      form.Timer1_Timer();
    } else {
      timer2.nextDue_ = d2 + timer2.interval_ / 1000.0;
      ++timer2Ticks;
      timer2.ticks.push_back(d2);
      form.Timer2_Timer();
    }
  }
}

void FakeWorld::Start() {
  form.Form_Initialize();
  form.Form_Load();
  form.Form_Resize();
}

void FakeWorld::Run(double seconds) {
  const double end = clock.monotonic + seconds;
  while (clock.monotonic + 1e-9 < end) pump.WaitForEvents(end - clock.monotonic);
}

void FakeWorld::MoveCursor(std::int32_t x, std::int32_t y) {
  screen.cursor = {x, y};
  if (screen.wakesOnMotion) timer1.SetIdle(false);
}

void FakeWorld::TrayNotify(std::int32_t message) {
  form.pichook_MouseMove(0, 0, static_cast<float>(message * screen.twipsPerPixel), 0);
}

bool FakeWorld::Ends(const std::function<void()>& body) {
  try {
    body();
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

}  // namespace vistrel::fakes
