// main of the module programs. Each executable is this file built with
// VLQ_MODULE set to one of the module numbers below.
#include "ModProgram.h"
#include "ModServants.h"

#define VLQ_NOWSIM 1
#define VLQ_FORESIM 2
#define VLQ_NEARVET 3
#define VLQ_FARVET 4
#define VLQ_ODE 5
#define VLQ_ODP 6

#ifndef VLQ_MODULE
#error "VLQ_MODULE must name the module"
#endif

using namespace vlq::mod;

int main(int argc, char** argv)
{
#if VLQ_MODULE == VLQ_NOWSIM
  return RunModule(argc, argv, "NOWSIM", false, [](ModuleContext& c) { return new NOWSIM_i(c); });
#elif VLQ_MODULE == VLQ_FORESIM
  return RunModule(argc, argv, "FORESIM", true, [](ModuleContext& c) { return new FORESIM_i(c); });
#elif VLQ_MODULE == VLQ_NEARVET
  return RunModule(argc, argv, "NEARVET", false, [](ModuleContext& c) { return new NEARVET_i(c); });
#elif VLQ_MODULE == VLQ_FARVET
  return RunModule(argc, argv, "FARVET", false, [](ModuleContext& c) { return new FARVET_i(c); });
#elif VLQ_MODULE == VLQ_ODE
  return RunModule(argc, argv, "ODE", false, [](ModuleContext& c) { return new ODE_i(c); });
#elif VLQ_MODULE == VLQ_ODP
  return RunModule(argc, argv, "ODP", false, [](ModuleContext& c) { return new ODP_i(c); });
#else
#error "unknown VLQ_MODULE"
#endif
}
