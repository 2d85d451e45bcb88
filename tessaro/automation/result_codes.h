// The automation result codes (HRESULT values) the conversion routines and
// the back ends speak. Negative means failure, as in COM.
#ifndef TESSARO_AUTOMATION_RESULT_CODES_H
#define TESSARO_AUTOMATION_RESULT_CODES_H

#include <cstdint>

namespace tessaro {

using HResult = std::int32_t;

constexpr HResult hresult(std::uint32_t bits) { return static_cast<HResult>(bits); }

constexpr HResult kSOk = 0;
constexpr HResult kENoInterface = hresult(0x80004002);   // E_NOINTERFACE
constexpr HResult kEPointer = hresult(0x80004003);       // E_POINTER: a required object is null
constexpr HResult kEAbort = hresult(0x80004004);         // E_ABORT
constexpr HResult kEFail = hresult(0x80004005);          // E_FAIL
constexpr HResult kEOutOfMemory = hresult(0x8007000E);   // E_OUTOFMEMORY: a string not allocated
constexpr HResult kEInvalidArg = hresult(0x80070057);    // E_INVALIDARG
constexpr HResult kDispEUnknownName = hresult(0x80020006);   // DISP_E_UNKNOWNNAME
constexpr HResult kDispEMemberNotFound = hresult(0x80020003);  // DISP_E_MEMBERNOTFOUND
constexpr HResult kDispEParamNotFound = hresult(0x80020004);   // DISP_E_PARAMNOTFOUND: "missing"
constexpr HResult kDispETypeMismatch = hresult(0x80020005);    // DISP_E_TYPEMISMATCH
constexpr HResult kDispEException = hresult(0x80020009);       // DISP_E_EXCEPTION: the application refused
constexpr HResult kDispEBadIndex = hresult(0x8002000B);        // DISP_E_BADINDEX
constexpr HResult kRegDbEClassNotReg = hresult(0x80040154);    // REGDB_E_CLASSNOTREG
constexpr HResult kCoEServerExecFailure = hresult(0x80080005); // CO_E_SERVER_EXEC_FAILURE
constexpr HResult kRpcEDisconnected = hresult(0x80010108);     // RPC_E_DISCONNECTED
constexpr HResult kRpcETimeout = hresult(0x8001011F);          // RPC_E_TIMEOUT

constexpr bool failed(HResult code) { return code < 0; }

}  // namespace tessaro

#endif
