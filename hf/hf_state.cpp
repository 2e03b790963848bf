// rqmcli-hf keeps its state in the driver value by value: a command that
// changes a kept setting pushes that one value at once, and the commands
// that need kept settings fetch the saved values back. The driver tells
// these requests from the record exchange of the other program by their
// length.
#include "api/tool_state_request.h"
#include "hf/hf.h"

CliSavedParams g_save_to_dev{};

namespace {

// One value by id (994).
constexpr uint32_t PARAM_PUSH_LEN = 16;
constexpr uint32_t PARAM_PUSH_VALUE_OFF = 8;
constexpr uint32_t PARAM_PUSH_ID_OFF = 12;
constexpr uint32_t PARAM_PUSH_CNF_SIZE = 16;

// The saved values (993): a word the tool does not read, then the values.
constexpr uint32_t PARAM_FETCH_LEN = 8;
constexpr uint32_t PARAM_FETCH_WORDS_OFF = 12;
constexpr uint32_t PARAM_FETCH_CNF_SIZE = PARAM_FETCH_WORDS_OFF + 4 * CLI_SAVED_WORDS;
static_assert(PARAM_FETCH_CNF_SIZE == 40);

}  // namespace

int RQM_SetParamToDev(RqmApiContext* ctx, uint32_t Value, uint32_t Id) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetParamToDev");
    RqmRequest<PARAM_PUSH_LEN> req(HI_SET_CLI_PARAM_REQ_ID);
    req.put32(PARAM_PUSH_VALUE_OFF, Value);
    req.put32(PARAM_PUSH_ID_OFF, Id);
    RqmCnf<PARAM_PUSH_CNF_SIZE> cnf;
    // Nothing of the answer is read: that it came is all.
    return reported(ctx, rqm_exchange(ctx, req, cnf, HEADER_CNF_NEED), "RQM_SetParamToDev");
}

int RQM_Get_Cli_Param(RqmApiContext* ctx, CliSavedParams* pParams) {
    if (ctx == nullptr || pParams == nullptr)
        return reported(ctx, ctx == nullptr ? RQM_NO_CONTEXT : RQM_INVALID_PARAMETER, "RQM_Get_Cli_Param");
    RqmRequest<PARAM_FETCH_LEN> req(HI_GET_CLI_PARAM_REQ_ID);
    RqmCnf<PARAM_FETCH_CNF_SIZE> cnf;
    // Words that never came would pass for saved zeros: the caller must be
    // able to tell, and fall back on its own defaults.
    int result = rqm_exchange(ctx, req, cnf, PARAM_FETCH_CNF_SIZE);
    if (result != RQM_SUCCESS)
        return reported(ctx, result, "RQM_Get_Cli_Param");
    const RqmCnfReader answer = cnf.reader();
    for (unsigned w = 0; w < CLI_SAVED_WORDS; ++w)
        pParams->Word[w] = answer.get32(PARAM_FETCH_WORDS_OFF + 4 * w);
    return reported(ctx, answer.status(), "RQM_Get_Cli_Param");
}
