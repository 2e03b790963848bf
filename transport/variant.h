// The one switch between the two builds of the tool. rqmcli links
// variant_rqmcli.cpp, rqmcli-hf links variant_hf.cpp; every place whose
// behaviour differs in rqmcli-hf asks this and nothing else.
#pragma once

enum RqmVariant { RQM_VARIANT_RQMCLI, RQM_VARIANT_HF };

// Not const so that tests linked with one build can check the other's lines.
extern RqmVariant g_rqm_variant;

inline bool rqm_is_hf() {
    return g_rqm_variant == RQM_VARIANT_HF;
}
