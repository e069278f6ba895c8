#pragma once
// The drawing surface the engines draw formulas on (filled in with the formula drawing).
