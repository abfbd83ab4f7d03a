// The objects behind the AEGP handles the host gives a module.
#pragma once

#include "model/Project.h"
#include "protocol/HandleTable.h"

namespace orvane::host {

struct EffectObject : HandleObject {};

// A mask reference follows its mask by id, so it stays right when other masks come and go.
struct MaskObject : HandleObject {
  AEGP_MaskIDVal mask_id = 0;
  int index = -1;  // where the mask was when the reference was made: looked at first
};

struct StreamObject : HandleObject {
  enum class Target { EffectParam, MaskOutline } target = Target::EffectParam;
  int param_index = 0;
  AEGP_MaskIDVal mask_id = 0;
  int mask_index = -1;   // where the mask was when the stream was made: looked at first
  int open_values = 0;   // values obtained and not yet disposed
  double last_time = 0;  // layer time of the last value obtained, where a set value lands
  int outstanding() const override { return open_values; }
};

// The outline behind an AEGP_MaskOutlineValH: a copy the module edits until it sets it back.
struct OutlineObject : HandleObject {
  Outline outline;
  void Drop() override { std::vector<AEGP_MaskVertex>().swap(outline.vertices); }
};

// A batch keeps what it needs of its stream, which the module may dispose of before the batch.
struct KeyframeBatchObject : HandleObject {
  StreamObject::Target target = StreamObject::Target::EffectParam;
  AEGP_MaskIDVal mask_id = 0;
  // The keys added so far, in the compact form the mask keeps them in; `set` says which have
  // been given a value.
  KeyList<Outline> keys;
  std::vector<bool> set;
  void Drop() override {
    keys = KeyList<Outline>();
    std::vector<bool>().swap(set);
  }
};

}  // namespace orvane::host
