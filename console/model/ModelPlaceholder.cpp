// Keeps the library non-empty until its first sources land.
namespace vlq_model_placeholder { int unused = 0; }
