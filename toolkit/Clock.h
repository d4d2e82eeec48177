#pragma once
// The wall clock as the toolkit reads it. Waiting code (lock retries, the about box's
// self-closing, start-up waits) reads time only through here, so tests can replace the
// clock with one they advance themselves.
#include <functional>

#include "Date.h"

// Seconds since 1970-01-01 00:00 local time, with fractions.
double clockSeconds();
// The seconds digits (0..59) of the wall clock's time of day.
int clockSecond();
// Today's date and its year by the wall clock.
Date clockToday();
int clockYear();

// Replaces the clock for the whole process (tests); an empty function restores the real one.
void setClockForTests(std::function<double()> secondsSinceEpoch);
