// Hand-made component streams of a table for malformed and hostile input,
// and the RVF of a document holding one; free of the test framework so that
// the benchmarks use them too.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "document/rvfmisc.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "tests/support/streambytes.h"
#include "tests/support/testtable.h"

// A component stream of a table: the root record with "C" written by WriteC
// and then whatever Extra writes (further properties), as TRVTableSW writes it.
inline std::string TableStream(const std::function<void(TWriter&)>& WriteC,
                               const std::function<void(TWriter&)>& Extra = nullptr)
{
    TStringStream Stream;
    {
        TWriter W(Stream);
        W.WriteSignature();
        W.WriteStr("TRVTableSW");
        W.WriteStr("");
        W.WriteStr("C");
        WriteC(W);
        if (Extra)
            Extra(W);
        W.WriteListEnd();
        W.WriteListEnd();
    }
    return Stream.DataString();
}

// Reads a component stream of a table into Table; raises what reading raises.
inline void LoadTableStream(TRVTableItemInfo* Table, const std::string& Bytes)
{
    TStringStream In(Bytes);
    Table->LoadFromStream(In);
}

// One entry of the cells list: spans and an empty cell.
inline void WriteCellEntry(TWriter& W, int ColSpan, int RowSpan)
{
    W.WriteInteger(ColSpan);
    W.WriteInteger(RowSpan);
    W.WriteStr("TD");
    W.WriteStr("");
    W.WriteListEnd();
    W.WriteListEnd();
}

// The RVF of a document holding one table whose component stream is
// replaced by Stream, in text or binary form. Raises std::logic_error when
// the saved document shows no table stream to replace.
inline std::string RVFWithTableStream(const std::string& Stream, bool Binary)
{
    TTableDoc Doc;
    Doc.AddTable(1, 1);
    Doc.Data.RVFOptions = Binary ? TRVFOptions{rvfoSaveBinary} : TRVFOptions();
    TStringStream Saved;
    if (!Doc.Data.SaveRVFToStream(Saved, false, clNone, nullptr, nullptr))
        throw std::logic_error("the document with a table could not be saved");
    const std::string Mark = "\r\n1\r\n";
    const size_t At = Saved.DataString().rfind(Mark);
    if (At == std::string::npos)
        throw std::logic_error("the saved document shows no table stream");
    std::string Result = Saved.DataString().substr(0, At + Mark.size());
    if (Binary) {
        Result += Count32(Stream.size()) + Stream;
    } else {
        TMemoryStream Bytes;
        Bytes.WriteBuffer(Stream.data(), static_cast<int64_t>(Stream.size()));
        Result += RVFStream2TextString(Bytes) + "\r\n";
    }
    return Result;
}
