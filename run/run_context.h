// The one record of a run and the few globals shared between the threads.
#ifndef LORVEX_RUN_RUN_CONTEXT_H_
#define LORVEX_RUN_RUN_CONTEXT_H_

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "directory/name_forms.h"
#include "run/codes.h"
#include "run/restriction_record.h"

struct DirectoryContext;
struct OutputContext;
struct ServerList;
class RetrievalQueue;

/// Most fields of a /a column layout.
constexpr int kMaxColumns = 5;

/// The /a column layout: total line width (0 = none) and up to five letter/width pairs.
struct ColumnFormat {
  int16_t line_width = 0;
  int16_t letters[kMaxColumns] = {};
  int16_t widths[kMaxColumns] = {};
  int count = 0;
};

/// The option fields of a run.
struct ProgramOptions {
  std::string object_class;  ///< empty means user
  ColumnFormat columns;
  uint32_t sort_mode = 0;
  uint32_t name_form = kFormCanonical;
  bool exit_level = false;         ///< /h
  bool comma_delimited = false;    ///< /c
  bool single_controller = false;  ///< /$
  bool file_mode = false;          ///< /f
  bool names_only = false;         ///< /u
  bool nested_groups = false;      ///< /g
  bool no_display_name = false;    ///< /n
  bool no_headings = false;        ///< /j
  bool subtree = false;            ///< /x
  bool totals_only = false;        ///< /t
  bool values_only = false;        ///< /v
};

/// A node of the result list kept for sorting.
struct ResultNode {
  RestrictionRecord* record;
  ResultNode* next;
};

/// The one record of a run.
struct RunContext {
  DirectoryContext* directory = nullptr;
  std::string filter_text;  ///< value text for pso, wr and lh
  bool has_filter_text = false;
  std::string server_prefix;
  std::string resolved_server;
  RestrictionCode restriction = kAll;
  OperatorCode op = kOpNone;
  uint32_t filter_number = 0;
  uint32_t filter_range = 0;
  int32_t examined = 0;
  int32_t selected = 0;
  FILE* input_file = nullptr;
  ServerList* server_list = nullptr;
  ResultNode* result_head = nullptr;
  ResultNode* result_tail = nullptr;
  OutputContext* output = nullptr;
  ProgramOptions options;
  DomainPolicy policy;
  int16_t local_offset = 0;  ///< half-hours east of UTC, read once at start-up

  // Entity resolution.
  std::string entity;         ///< rewritten in place into its resolved form
  bool entity_given = false;  ///< the entity came from the command line, not the running account
  bool search_flag = false;
  bool subtree_flag = false;
  // Reading.
  bool per_object_reads = false;         ///< every object read on its own, never in batches
  RetrievalQueue* retrievals = nullptr;  ///< the worker's batch queue while it runs, else null
  /// Takes each record read, with its displayed name: filters it, then prints or keeps it for
  /// sorting; takes the record over and returns 0 or 150. Set by the query layer, which owns the
  /// filter and the printer, so that reading never calls up into them.
  int (*dispatch)(RunContext* run, const std::string& name, RestrictionRecord* record) = nullptr;
};

/// The run of this process.
extern RunContext* g_run;
/// Set by the main thread when the user asks to stop; read by the worker at each object.
extern std::atomic<int> g_cancel;
/// Set when the command line holds /0 or -0.
extern bool g_silent;

/// The current local time of a run in seconds: the output's fixed time when set (tests), else the clock.
uint32_t RunNow(const RunContext* run);

#endif  // LORVEX_RUN_RUN_CONTEXT_H_
