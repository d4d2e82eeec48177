#pragma once
// The largest value computed from the elements of a list.
//
// list: the list; start: first position to look at (default 1); count: how many elements
// to visit (default all remaining); valueOf: a callable computing the compared value from
// an element (default the element itself); types: type letters of the elements taken
// into account (default the type of the element at `start`). The window of `count`
// elements starts at the first element whose type matches, not at `start`.
// Answers the largest computed value, or NIL when there is nothing to compare.
#include "Value.h"

Value AMAX(const Value& list, const Value& start = Value(), const Value& count = Value(),
           const Value& valueOf = Value(), const Value& types = Value());

// True when a is strictly greater than b: numbers, texts, memos, dates and logicals of the
// same kind; values of different kinds are never greater.
bool valueGreater(const Value& a, const Value& b);
