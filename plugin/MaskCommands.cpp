#include "Handlers.h"

PF_Err UserChangedParam(PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                        const PF_UserChangedParamExtra *) {
  return PF_Err_NONE;
}
