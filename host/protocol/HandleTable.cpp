#include "protocol/HandleTable.h"

#include <algorithm>

namespace orvane::host {

const char *KindName(HandleKind kind) {
  switch (kind) {
    case HandleKind::Memory:
      return "memory handle";
    case HandleKind::Effect:
      return "effect reference";
    case HandleKind::Mask:
      return "mask reference";
    case HandleKind::Stream:
      return "stream";
    case HandleKind::StreamValue:
      return "stream value";
    case HandleKind::KeyframeBatch:
      return "keyframe batch";
    case HandleKind::DrawObject:
      return "drawing object";
  }
  return "handle";
}

HandleTable::Decoded HandleTable::Decode(const void *key) {
  const auto bits = uint64_t(reinterpret_cast<uintptr_t>(key));
  Decoded d;
  const uint64_t kind = (bits >> kKindShift) & 0xF;
  if ((bits >> kTagShift) != kTag || kind > uint64_t(HandleKind::DrawObject) ||
      kind == uint64_t(HandleKind::Memory)) {
    return d;
  }
  d.ours = true;
  d.kind = HandleKind(kind);
  d.generation = uint32_t((bits >> kGenerationShift) & kGenerationMask);
  d.slot = uint32_t(bits & kSlotMask);
  return d;
}

void HandleTable::Register(std::unique_ptr<HandleObject> object) {
  if (object->kind == HandleKind::Memory) {
    object->key = object.get();
    memory_.emplace(object->key, std::move(object));
    return;
  }
  uint32_t slot;
  if (!free_.empty() && (free_.size() > 64 || slots_.size() >= kSlotMask)) {
    slot = free_.front();
    free_.pop_front();
  } else {
    // A few free slots are left to age so that a handle released a moment ago does not come
    // back at once under a new generation; the table grows only by the handles held at once.
    slot = uint32_t(slots_.size());
    slots_.emplace_back();
  }
  Slot &s = slots_[slot];
  const uint64_t bits = (kTag << kTagShift) | (uint64_t(object->kind) << kKindShift) |
                        (uint64_t(s.generation & kGenerationMask) << kGenerationShift) | slot;
  object->key = reinterpret_cast<void *>(uintptr_t(bits));
  s.object = std::move(object);
}

void HandleTable::FreeSlot(uint32_t slot) {
  Slot &s = slots_[slot];
  s.object.reset();
  s.generation = (s.generation + 1) & uint32_t(kGenerationMask);
  free_.push_back(slot);
}

HandleObject *HandleTable::Find(const void *key) const {
  const Decoded d = Decode(key);
  if (d.ours) {
    if (d.slot >= slots_.size()) return nullptr;
    const Slot &s = slots_[d.slot];
    return s.object && s.generation == d.generation && s.object->kind == d.kind ? s.object.get()
                                                                                : nullptr;
  }
  if (auto it = memory_.find(key); it != memory_.end()) return it->second.get();
  if (auto it = aliases_.find(key); it != aliases_.end()) return it->second;
  return nullptr;
}

HandleObject *HandleTable::Lookup(const void *key, HandleKind kind, const char *function,
                                  bool releasing) {
  HandleObject *object = Find(key);
  // The message is built only for a misuse; the common case is one lookup and two tests.
  if (object && object->kind == kind && object->live) return object;
  const Decoded d = Decode(key);
  // A handle of ours that is no longer in its slot was released (the slot has moved on to a
  // later generation); one whose generation the slot has not reached yet was never made.
  bool released = object != nullptr;
  HandleKind was = object ? object->kind : kind;
  if (!object && d.ours && d.slot < slots_.size()) {
    const uint32_t now = slots_[d.slot].generation;
    released = d.generation < now || (d.generation == now && !slots_[d.slot].object);
    was = d.kind;
  }
  const std::string what = std::string(function) + ": ";
  if (!released) {
    if (key) problems_.push_back(what + "foreign " + KindName(kind));
  } else if (was != kind) {
    problems_.push_back(what + KindName(was) + " passed as " + KindName(kind));
  } else {
    problems_.push_back(what + KindName(kind) +
                        (releasing ? " released twice" : " used after release"));
  }
  return nullptr;
}

bool HandleTable::Release(const void *key, HandleKind kind, const char *function) {
  HandleObject *object = Lookup(key, kind, function, true);
  if (!object) return false;
  object->live = false;
  object->Drop();
  const Decoded d = Decode(key);
  // A released handle that still counts values given out stays until the end of the command.
  if (d.ours && object->outstanding() == 0) FreeSlot(d.slot);
  return true;
}

std::vector<std::string> HandleTable::Leaks() const {
  std::vector<std::pair<uint64_t, std::string>> leaks;
  auto check = [&leaks](const HandleObject &o) {
    // Stream values are counted on their streams, which know how many are still out.
    if (o.live && o.kind != HandleKind::Memory && o.kind != HandleKind::StreamValue) {
      leaks.emplace_back(o.serial, std::string("leaked ") + KindName(o.kind));
    }
    for (int i = 0; i < o.outstanding(); ++i) leaks.emplace_back(o.serial, "leaked stream value");
    if (o.live && o.locked()) leaks.emplace_back(o.serial, "memory handle left locked");
  };
  for (const Slot &s : slots_) {
    if (s.object) check(*s.object);
  }
  for (const auto &entry : memory_) check(*entry.second);
  std::sort(leaks.begin(), leaks.end());
  std::vector<std::string> out;
  for (auto &leak : leaks) out.push_back(std::move(leak.second));
  return out;
}

std::vector<std::string> HandleTable::EndCommand() {
  std::vector<std::string> leaks = Leaks();
  // Leaked objects are dropped too: the next command must not be able to use them.
  for (uint32_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].object) FreeSlot(i);
  }
  for (auto it = aliases_.begin(); it != aliases_.end();) {
    it = it->second->live ? std::next(it) : aliases_.erase(it);
  }
  for (auto it = memory_.begin(); it != memory_.end();) {
    it = it->second->live ? std::next(it) : memory_.erase(it);
  }
  return leaks;
}

std::vector<std::string> HandleTable::TakeProblems() {
  std::vector<std::string> out;
  out.swap(problems_);
  return out;
}

std::size_t HandleTable::live_count(HandleKind kind) const {
  std::size_t n = 0;
  for (const Slot &s : slots_) n += s.object && s.object->live && s.object->kind == kind;
  for (const auto &entry : memory_) n += entry.second->live && entry.second->kind == kind;
  return n;
}

std::string HandleTable::Tag(const void *key) const {
  if (const HandleObject *object = Find(key)) {
    return std::string(KindName(object->kind)) + " #" + std::to_string(object->serial) +
           (object->live ? "" : " (released)");
  }
  const Decoded d = Decode(key);
  return d.ours ? std::string(KindName(d.kind)) + " (released)" : std::string("foreign");
}

}  // namespace orvane::host
