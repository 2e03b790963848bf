#include "variant.h"

RqmVariant g_rqm_variant = RQM_VARIANT_HF;
