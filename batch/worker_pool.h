#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "batch/correct_photo.h"

/// Corrects `jobs` on `thread_count` threads, each with a PhotoCorrector of its own
/// that it keeps from photo to photo; a free thread takes the next job in order.
/// `finished` hears each job's outcome as it ends, one call at a time. The calling
/// thread waits, calling `waiting` about ten times a second, until every worker
/// has ended. Once `stop` is set no further job is started; jobs under way end as
/// correct_photo describes and are reported as interrupted unless they completed.
/// With one worker, its curve and analysis passes share the engine's row pool (every
/// core); with more, each worker runs them on its own thread.
void run_photo_jobs(const std::vector<PhotoJob>& jobs, const CorrectionSteps& steps, int thread_count,
                    const std::atomic<bool>& stop,
                    const std::function<void(std::size_t job, const PhotoOutcome&)>& finished,
                    const std::function<void()>& waiting);

/// The processors this process may run on (at least 1): the default number of jobs.
int available_processors();
