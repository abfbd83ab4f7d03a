#include "report/Names.h"

#include <cstddef>

namespace orvane::host {

std::string CommandName(PF_Cmd cmd) {
  static const char *const names[] = {"ABOUT",
                                      "GLOBAL_SETUP",
                                      "UNUSED_0",
                                      "GLOBAL_SETDOWN",
                                      "PARAMS_SETUP",
                                      "SEQUENCE_SETUP",
                                      "SEQUENCE_RESETUP",
                                      "SEQUENCE_FLATTEN",
                                      "SEQUENCE_SETDOWN",
                                      "DO_DIALOG",
                                      "FRAME_SETUP",
                                      "RENDER",
                                      "FRAME_SETDOWN",
                                      "USER_CHANGED_PARAM",
                                      "UPDATE_PARAMS_UI",
                                      "EVENT",
                                      "GET_EXTERNAL_DEPENDENCIES",
                                      "COMPLETELY_GENERAL",
                                      "QUERY_DYNAMIC_FLAGS",
                                      "AUDIO_RENDER",
                                      "AUDIO_SETUP",
                                      "AUDIO_SETDOWN",
                                      "ARBITRARY_CALLBACK",
                                      "SMART_PRE_RENDER",
                                      "SMART_RENDER"};
  if (cmd >= 0 && std::size_t(cmd) < sizeof names / sizeof names[0]) return names[cmd];
  return "command " + std::to_string(cmd);
}

std::string ErrorName(PF_Err err) {
  switch (err) {
    case PF_Err_NONE:
      return "PF_Err_NONE";
    case PF_Err_OUT_OF_MEMORY:
      return "PF_Err_OUT_OF_MEMORY";
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
      return "PF_Err_INTERNAL_STRUCT_DAMAGED";
    case PF_Err_INVALID_INDEX:
      return "PF_Err_INVALID_INDEX";
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
      return "PF_Err_UNRECOGNIZED_PARAM_TYPE";
    case PF_Err_INVALID_CALLBACK:
      return "PF_Err_INVALID_CALLBACK";
    case PF_Err_BAD_CALLBACK_PARAM:
      return "PF_Err_BAD_CALLBACK_PARAM";
    case PF_Interrupt_CANCEL:
      return "PF_Interrupt_CANCEL";
    case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
      return "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT";
    default:
      return "error " + std::to_string(err);
  }
}

}  // namespace orvane::host
