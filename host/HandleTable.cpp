#include "HandleTable.h"

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

HandleObject *HandleTable::Find(const void *key) const {
  if (auto it = objects_.find(key); it != objects_.end()) return it->second.get();
  if (auto it = aliases_.find(key); it != aliases_.end()) return it->second;
  return nullptr;
}

HandleObject *HandleTable::Lookup(const void *key, HandleKind kind, const char *function,
                                  bool releasing) {
  HandleObject *object = Find(key);
  // The message is built only for a misuse; the common case is one lookup and three tests.
  if (object && object->magic == HandleObject::kMagic && object->kind == kind && object->live)
    return object;
  const std::string what = std::string(function) + ": ";
  if (!object || object->magic != HandleObject::kMagic) {
    if (key) problems_.push_back(what + "foreign " + KindName(kind));
  } else if (object->kind != kind) {
    problems_.push_back(what + KindName(object->kind) + " passed as " + KindName(kind));
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
  return true;
}

std::vector<std::string> HandleTable::Leaks() const {
  std::vector<std::pair<uint64_t, std::string>> leaks;
  for (const auto &entry : objects_) {
    const HandleObject &o = *entry.second;
    // Stream values are counted on their streams, which know how many are still out.
    if (o.live && o.kind != HandleKind::Memory && o.kind != HandleKind::StreamValue) {
      leaks.emplace_back(o.serial, std::string("leaked ") + KindName(o.kind));
    }
    for (int i = 0; i < o.outstanding(); ++i) leaks.emplace_back(o.serial, "leaked stream value");
    if (o.live && o.locked()) leaks.emplace_back(o.serial, "memory handle left locked");
  }
  std::sort(leaks.begin(), leaks.end());
  std::vector<std::string> out;
  for (auto &leak : leaks) out.push_back(std::move(leak.second));
  return out;
}

std::vector<std::string> HandleTable::EndCommand() {
  std::vector<std::string> leaks = Leaks();
  for (auto it = aliases_.begin(); it != aliases_.end();) {
    it = it->second->live ? std::next(it) : aliases_.erase(it);
  }
  // Leaked objects are dropped too: the next command must not be able to use them.
  for (auto it = objects_.begin(); it != objects_.end();) {
    const HandleObject &o = *it->second;
    bool keep = o.live && o.kind == HandleKind::Memory;
    if (!keep) {
      for (auto a = aliases_.begin(); a != aliases_.end();) {
        a = a->second == it->second.get() ? aliases_.erase(a) : std::next(a);
      }
    }
    it = keep ? std::next(it) : objects_.erase(it);
  }
  return leaks;
}

std::vector<std::string> HandleTable::TakeProblems() {
  std::vector<std::string> out;
  out.swap(problems_);
  return out;
}

std::size_t HandleTable::live_count(HandleKind kind) const {
  return std::size_t(std::count_if(objects_.begin(), objects_.end(), [kind](const auto &e) {
    return e.second->live && e.second->kind == kind;
  }));
}

}  // namespace orvane::host
