// Every handle the host gives the module is an object registered here. The table answers
// whether a pointer the module hands back is one of ours, alive and of the expected kind, and
// after each command which handles were leaked, released twice or used after release.
//
// Handles other than memory handles are not addresses: each names a slot of the table, the
// kind it was made as and the slot's generation when it was made. Releasing a handle frees its
// object and moves the slot to its next generation, so a late use or a second release is still
// recognised without keeping anything per released handle, and memory stays bounded however
// many handles a command makes and gives back. Memory handles are real addresses (the module
// reads the block through them) and are kept as objects until the end of the command.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvane::host {

enum class HandleKind {
  Memory,         // PF Handle Suite blocks (owned by the module across commands)
  Effect,         // AEGP_EffectRefH
  Mask,           // AEGP_MaskRefH
  Stream,         // AEGP_StreamRefH
  StreamValue,    // the value behind an AEGP_StreamValue2 (released with DisposeStreamValue)
  KeyframeBatch,  // AEGP_AddKeyframesInfoH
  DrawObject,     // Drawbot pens and paths
};

const char *KindName(HandleKind kind);

struct HandleObject {
  HandleKind kind = HandleKind::Memory;
  bool live = true;
  uint64_t serial = 0;
  void *key = nullptr;  // the value the module sees
  virtual ~HandleObject() = default;
  // Things obtained through this handle that must be given back too (e.g. stream values); a
  // released handle with some still out stays until the end of the command to count them.
  virtual int outstanding() const { return 0; }
  // A memory handle still locked when a command ends (its owner forgot an unlock).
  virtual bool locked() const { return false; }
  // Frees what the handle holds once it is released.
  virtual void Drop() {}
  template <typename H>
  H handle() const {
    return reinterpret_cast<H>(key);
  }
};

class HandleTable {
  // Layout of a handle value: a tag no address has (the top bits of a 64-bit address are all
  // zero or all one), the kind, the slot's generation and the slot.
  static constexpr uint64_t kTag = 0x4F5;
  static constexpr int kTagShift = 52, kKindShift = 48, kGenerationShift = 24;
  static constexpr uint64_t kSlotMask = (uint64_t(1) << 24) - 1;
  static constexpr uint64_t kGenerationMask = (uint64_t(1) << 24) - 1;

 public:
  static_assert(sizeof(void *) == 8, "handles carry a slot and a generation in 64 bits");

  // Registers a new handle object; its `key` is the pointer value the module will see.
  template <typename T, typename... Args>
  T *Make(HandleKind kind, Args &&...args) {
    auto object = std::make_unique<T>(std::forward<Args>(args)...);
    object->kind = kind;
    object->serial = ++serial_;
    T *raw = object.get();
    Register(std::move(object));
    return raw;
  }
  // Registers an extra key (e.g. PF_Handle, the address of a master pointer) for a memory
  // handle object.
  void Alias(const void *key, HandleObject *object) { aliases_[key] = object; }

  // The live object behind `key` if it is ours and of `kind`; otherwise null, and the misuse
  // (foreign pointer, wrong kind, use after release) is recorded.
  template <typename T>
  T *Get(const void *key, HandleKind kind, const char *function) {
    if (HandleObject *object = FindLive(key, kind)) return static_cast<T *>(object);
    return static_cast<T *>(Lookup(key, kind, function, false));
  }
  // The object behind `key` even after its release while it still counts something given out
  // through it (until the end of the command), or null.
  template <typename T>
  T *Peek(const void *key, HandleKind kind) const {
    HandleObject *object = Find(key);
    return object && object->kind == kind ? static_cast<T *>(object) : nullptr;
  }
  // Marks the handle released; false (and a recorded problem) when it was not a live handle.
  bool Release(const void *key, HandleKind kind, const char *function);

  // Live handles of the kinds a command must give back before it returns.
  std::vector<std::string> Leaks() const;
  // Drops released objects and reports leaks as problems; call after each command.
  std::vector<std::string> EndCommand();
  void Report(std::string problem) { problems_.push_back(std::move(problem)); }
  // Misuse recorded since the last call (double release, foreign handle, use after release).
  std::vector<std::string> TakeProblems();
  std::size_t live_count(HandleKind kind) const;
  // How a handle is shown in a trace: its kind and serial, or what is wrong with it.
  std::string Tag(const void *key) const;
  // Slots in use or free: the most handles held at once, not the number ever made.
  std::size_t slot_count() const { return slots_.size(); }

 private:
  struct Slot {
    uint32_t generation = 0;
    std::unique_ptr<HandleObject> object;  // null when the slot is free
  };
  struct Decoded {
    bool ours = false;
    HandleKind kind = HandleKind::Memory;
    uint32_t generation = 0;
    uint32_t slot = 0;
  };
  static Decoded Decode(const void *key);
  // The common case of a lookup, inline: a live handle of ours of the expected kind.
  HandleObject *FindLive(const void *key, HandleKind kind) const {
    const auto bits = uint64_t(reinterpret_cast<uintptr_t>(key));
    const uint64_t expected = (kTag << kTagShift) | (uint64_t(kind) << kKindShift);
    if ((bits & ~((uint64_t(1) << kKindShift) - 1)) != expected) return nullptr;
    const uint64_t slot = bits & kSlotMask;
    if (slot >= slots_.size()) return nullptr;
    const Slot &s = slots_[slot];
    if (!s.object || !s.object->live || s.object->key != key) return nullptr;
    return s.object.get();
  }
  void Register(std::unique_ptr<HandleObject> object);
  void FreeSlot(uint32_t slot);
  HandleObject *Lookup(const void *key, HandleKind kind, const char *function, bool releasing);
  HandleObject *Find(const void *key) const;

  uint64_t serial_ = 0;
  std::vector<Slot> slots_;
  std::deque<uint32_t> free_;  // reused oldest first, so a generation comes round late
  std::unordered_map<const void *, std::unique_ptr<HandleObject>> memory_;
  std::unordered_map<const void *, HandleObject *> aliases_;
  std::vector<std::string> problems_;
};

}  // namespace orvane::host
