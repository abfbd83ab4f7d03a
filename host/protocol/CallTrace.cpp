#include "protocol/CallTrace.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "model/Text.h"

namespace orvane::host {

void CallTrace::SetRecording(bool on) { recording_ = on; }

void CallTrace::StreamTo(std::ostream *out) {
  if (open_) Emit();
  stream_ = out;
  UpdateModes();
}

void CallTrace::UpdateModes() {
  detailed_ = stream_ != nullptr;
  watch_ = fail_at_ != 0 || !faults_.empty();
  if (!detailed_) open_ = false;
}

void CallTrace::FailFunction(const std::string &function, std::size_t nth, PF_Err err) {
  faults_[function] = FunctionFault{nth, err};
  UpdateModes();
}

void CallTrace::FailCallAt(std::size_t k, PF_Err err) {
  fail_at_ = k;
  fail_at_err_ = err;
  UpdateModes();
}

void CallTrace::ClearFaults() {
  faults_.clear();
  fail_at_ = 0;
  fail_at_err_ = 0;
  UpdateModes();
}

void CallTrace::Reset() {
  if (open_) Emit();
  entries_.clear();
  calls_ = 0;
  injected_ = 0;
  at_fault_ = HostFunction();
  failed_ = after_failure_ = nullptr;
  for (auto &entry : faults_) entry.second.seen = 0;
}

PF_Err CallTrace::PlannedError(const char *function) {
  if (fail_at_ && calls_ == fail_at_) return fail_at_err_;
  if (faults_.empty()) return PF_Err_NONE;
  auto it = faults_.find(function);
  if (it == faults_.end()) return PF_Err_NONE;
  FunctionFault &fault = it->second;
  ++fault.seen;
  return (fault.nth == 0 || fault.nth == fault.seen) ? fault.err : PF_Err_NONE;
}

// After a failure the module may only give back what it holds; this is checked as the calls
// happen, so no list of calls is needed to check it.
void CallTrace::Watch(const HostFunction &function, PF_Err err) {
  if (calls_ == fail_at_) at_fault_ = function;
  if (failed_) {
    if (!after_failure_ && !function.gives_back()) after_failure_ = function.name;
  } else if (err && !function.gives_back()) {
    failed_ = function.name;
  }
}

void CallTrace::Begin(const char *function, PF_Err err) {
  if (open_) Emit();  // a call whose result nobody reported
  pending_.function = function;
  pending_.injected = err;
  pending_.result = "null";
  pending_call_ = calls_;
  open_ = true;
}

namespace {

// A JSON string, whatever the module passed: bytes that are not UTF-8 (which no JSON reader
// takes) become U+FFFD; the session reports the text itself where it keeps it.
void PutString(std::string &out, const char *s) {
  out += '"';
  const std::string_view text(s);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t n = Utf8SequenceAt(text, i);
      if (n == 0) {
        out += "\\ufffd";
      } else {
        out.append(text.substr(i, n));
        i += n - 1;
      }
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  out += '"';
}

}  // namespace

void CallTrace::Emit() {
  open_ = false;
  if (stream_) {
    line_.clear();
    line_ +=
        "{\"call\":" + std::to_string(pending_call_) + ",\"command\":" + std::to_string(command_);
    if (step_) line_ += ",\"step\":" + std::to_string(step_);
    line_ += ",\"fn\":";
    PutString(line_, pending_.function);
    line_ += ",\"args\":" + pending_.args + ",\"result\":" + pending_.result;
    if (pending_.injected) line_ += ",\"injected\":" + std::to_string(pending_.injected);
    line_ += "}\n";
    stream_->write(line_.data(), std::streamsize(line_.size()));
  }
  if (recording_) entries_.push_back(pending_);
}

void CallTrace::Note(const char *function, const char *name, int version, int result) {
  if (!stream_) return;
  if (open_) Emit();
  line_ = "{\"command\":" + std::to_string(command_);
  if (step_) line_ += ",\"step\":" + std::to_string(step_);
  line_ += ",\"fn\":";
  PutString(line_, function);
  line_ += ",\"args\":[";
  PutString(line_, name ? name : "");
  line_ += "," + std::to_string(version) + "],\"result\":" + std::to_string(result) + "}\n";
  stream_->write(line_.data(), std::streamsize(line_.size()));
}

void CallTrace::Put(std::string &out, double v) {
  if (!std::isfinite(v)) {
    out += "null,";
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.17g,", v);
  out += text;
}

void CallTrace::Put(std::string &out, const char *v) {
  if (v) {
    PutString(out, v);
    out += ',';
  } else {
    out += "null,";
  }
}

void CallTrace::Put(std::string &out, const A_Time &t) {
  out += "{\"value\":" + std::to_string(t.value) + ",\"scale\":" + std::to_string(t.scale) + "},";
}

void CallTrace::Put(std::string &out, const AEGP_ColorVal &c) {
  out += '[';
  Put(out, c.alphaF);
  Put(out, c.redF);
  Put(out, c.greenF);
  Put(out, c.blueF);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, const AEGP_MaskVertex &v) {
  out += '[';
  for (double x : {v.x, v.y, v.tan_in_x, v.tan_in_y, v.tan_out_x, v.tan_out_y}) Put(out, x);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, const PF_FixedPoint &p) {
  out += '[';
  Put(out, p.x / 65536.0);
  Put(out, p.y / 65536.0);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, const PF_LRect &r) {
  out += "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + "],";
}

void CallTrace::Put(std::string &out, const DRAWBOT_ColorRGBA &c) {
  out += '[';
  for (float x : {c.red, c.green, c.blue, c.alpha}) Put(out, x);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, const DRAWBOT_PointF32 &p) {
  out += '[';
  Put(out, p.x);
  Put(out, p.y);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, const DRAWBOT_RectF32 &r) {
  out += '[';
  for (float x : {r.left, r.top, r.width, r.height}) Put(out, x);
  out.back() = ']';
  out += ',';
}

void CallTrace::Put(std::string &out, HandleArg h) const {
  if (!h.key) {
    out += "null,";
    return;
  }
  PutString(out, handles_ ? handles_->Tag(h.key).c_str() : "handle");
  out += ',';
}

}  // namespace orvane::host
