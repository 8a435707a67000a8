// com/status: automation status codes (HRESULT values), the sign-bit failure rule and the texts
// of the common codes in this system's words. Knows no engine error numbers.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qb {

using HRESULT = std::int32_t;

namespace detail {
constexpr HRESULT Code(std::uint32_t bits) { return static_cast<HRESULT>(bits); }
}  // namespace detail

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = detail::Code(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = detail::Code(0x80004002u);
inline constexpr HRESULT E_POINTER = detail::Code(0x80004003u);
inline constexpr HRESULT E_ABORT = detail::Code(0x80004004u);
inline constexpr HRESULT E_FAIL = detail::Code(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = detail::Code(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = detail::Code(0x80070005u);
inline constexpr HRESULT E_HANDLE = detail::Code(0x80070006u);
inline constexpr HRESULT E_OUTOFMEMORY = detail::Code(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = detail::Code(0x80070057u);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = detail::Code(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = detail::Code(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = detail::Code(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = detail::Code(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = detail::Code(0x80020006u);
inline constexpr HRESULT DISP_E_NONAMEDARGS = detail::Code(0x80020007u);
inline constexpr HRESULT DISP_E_BADVARTYPE = detail::Code(0x80020008u);
inline constexpr HRESULT DISP_E_EXCEPTION = detail::Code(0x80020009u);
inline constexpr HRESULT DISP_E_OVERFLOW = detail::Code(0x8002000Au);
inline constexpr HRESULT DISP_E_BADINDEX = detail::Code(0x8002000Bu);
inline constexpr HRESULT DISP_E_UNKNOWNLCID = detail::Code(0x8002000Cu);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = detail::Code(0x8002000Du);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = detail::Code(0x8002000Eu);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = detail::Code(0x8002000Fu);
inline constexpr HRESULT DISP_E_BADCALLEE = detail::Code(0x80020010u);
inline constexpr HRESULT DISP_E_NOTACOLLECTION = detail::Code(0x80020011u);
inline constexpr HRESULT DISP_E_DIVBYZERO = detail::Code(0x80020012u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = detail::Code(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = detail::Code(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = detail::Code(0x80040154u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = detail::Code(0x800401F0u);

// A code is a failure exactly when its sign bit is set; 0 and every positive code succeed.
constexpr bool Failed(HRESULT code) { return code < 0; }
constexpr bool Succeeded(HRESULT code) { return code >= 0; }

// This system's text for CODE ("There is not enough memory for the operation."), or nullopt
// when it has none.
std::optional<std::string> StatusText(HRESULT code);

// StatusText(CODE), or when there is none the numbered "error code" message (65200) with CODE
// as a signed decimal ("... -2147467259").
std::string StatusMessage(HRESULT code);

}  // namespace qb
