#pragma once

// The log line of a comparison ended by the cancel key, during the remote walk or the pass: its
// marks can't be trusted, so Sync stays off until a new connection compares again.
inline constexpr char kCompareCancelledText[] =
    "比較を中止しました。同期するには、もう一度接続して比較し直してください。";
