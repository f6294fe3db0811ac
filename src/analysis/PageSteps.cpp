#include "task/QuobrixDoc.h"

// The analysis of a retrieved page. The scheduler calls these in order for
// every HTML or plain-text page; until page analysis is built they leave the
// slot as it is, so a crawl fetches and stores only the pages it is given.
