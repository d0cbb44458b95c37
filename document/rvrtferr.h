// The result of every RTF load: a unit of its own, so that the item store can
// name it without knowing anything else of RTF import.
#pragma once

// rtf_ec_OK on success; the others say why a load stopped. The values are
// fixed (0 to 11) and are what the load operations return.
enum TRVRTFErrorCode {
    rtf_ec_OK,
    rtf_ec_StackUnderflow,
    rtf_ec_StackOverflow,
    rtf_ec_UnmatchedBrace,
    rtf_ec_InvalidHex,
    rtf_ec_BadTable,
    rtf_ec_Assertion,
    rtf_ec_EndOfFile,
    rtf_ec_FileOpenError,
    rtf_ec_Exception,
    rtf_ec_InvalidPicture,
    rtf_ec_Aborted,
};
