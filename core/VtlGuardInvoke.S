/* VtlGuardInvoke.S - the guard frame: one call into the driver library inside a structured-
   exception scope, served by the C runtime's __C_specific_handler.

   int VtlGuardInvoke(VtlGuardThunk pfnThunk, void *pContext, VtlGuardState *pState)

   The scope's filter, VtlGuardFilter, runs in the first pass while the library's frames still
   exist. It finds pState at establisher frame + 32 and takes only C++ exceptions raised by
   Microsoft's runtime; the unwind then lands at the handler label, which returns 1. */

    .text
    .p2align 4
    .globl  VtlGuardInvoke
    .def    VtlGuardInvoke; .scl 2; .type 32; .endef
    .seh_proc VtlGuardInvoke
    .seh_handler __C_specific_handler, @except
VtlGuardInvoke:
    subq    $40, %rsp                  /* 32 bytes of home space, then the state slot */
    .seh_stackalloc 40
    .seh_endprologue
    movq    %r8, 32(%rsp)
    movq    %rcx, %rax
    movq    %rdx, %rcx
.Lscope_begin:
    callq   *%rax
    nop                                /* keeps the return address inside the scope */
.Lscope_end:
    xorl    %eax, %eax
.Lreturn:
    addq    $40, %rsp
    ret
.Lcaught:
    movl    $1, %eax
    jmp     .Lreturn

    .seh_handlerdata
    .long   1                          /* one scope: begin, end, filter, handler */
    .rva    .Lscope_begin, .Lscope_end, VtlGuardFilter, .Lcaught
    .text
    .seh_endproc
