#pragma once
// Writes the office refuses, for the fault tests: while they name a cell
// (refuseWritesTo in office/LibreOfficeTesting.h), every write into it on
// any sheet fails as a write the office refuses. Every write into the
// office asks first.

namespace orvel {

// A write of the cells from (firstCol, firstRow) to (lastCol, lastRow),
// zero-based, that reaches the refused cell fails as the office fails one:
// it throws css::uno::RuntimeException.
void refuseIfAsked(int firstCol, int firstRow, int lastCol, int lastRow);

} // namespace orvel
