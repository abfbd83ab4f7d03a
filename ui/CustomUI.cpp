#include "Handlers.h"

PF_Err HandleEvent(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *, PF_EventExtra *) {
  return PF_Err_NONE;
}
