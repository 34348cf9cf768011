#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "batch/correct_photo.h"

/// Corrects `jobs` with at most `thread_count` threads computing at once: one worker per
/// job up to that many, each with a PhotoCorrector of its own that it keeps from photo
/// to photo; a free worker takes the next job in order.
/// `finished` hears each job's outcome as it ends, one call at a time. The calling
/// thread waits, calling `waiting` about ten times a second, until every worker
/// has ended. Once `stop` is set no further job is started; jobs under way end as
/// correct_photo describes and are reported as interrupted unless they completed.
/// Threads the workers leave over go to the engine's row pool (threads_per_job): a
/// lone photo still gets every core, and `thread_count` 1 keeps the batch to one.
void run_photo_jobs(const std::vector<PhotoJob>& jobs, const CorrectionSteps& steps, int thread_count,
                    const std::atomic<bool>& stop,
                    const std::function<void(std::size_t job, const PhotoOutcome&)>& finished,
                    const std::function<void()>& waiting);

/// The threads each of `workers` workers may compute on when `thread_count` are allowed in all.
int threads_per_job(int thread_count, std::size_t workers);
