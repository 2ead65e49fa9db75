// Every record class of a job, for the code that needs them all (the
// factory, the catalogue of the document writer).
#pragma once

#include "records/cogo.h"
#include "records/coordsys.h"
#include "records/design.h"
#include "records/gnss.h"
#include "records/imaging.h"
#include "records/job_level.h"
#include "records/modifiers.h"
#include "records/observation.h"
#include "records/road.h"
#include "records/styles.h"
#include "records/total_station.h"
