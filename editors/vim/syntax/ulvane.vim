" Vim syntax file for Ulvane scripts (*.ulv): comments, the sg<...> header directive,
" keywords, reserved words, strings with escapes, numbers and operators.
if exists("b:current_syntax")
  finish
endif

syntax case match
" Scripts are small (4096 tokens at most) and strings may span lines: always sync from the start.
syntax sync fromstart

syntax keyword ulvaneConditional if
syntax keyword ulvaneRepeat while
syntax keyword ulvaneDeclaration var
syntax keyword ulvanePrint print
" Reserved words start no statement: using one is an error.
syntax keyword ulvaneReserved function return

" Characters the interpreter does not know, a lone & or |, and a point without digits.
syntax match ulvaneError "[^ \t\r\na-zA-Z0-9_#\"(){};,=+*/<>!&|.-]"
syntax match ulvaneError "&&\@!"
syntax match ulvaneError "||\@!"
syntax match ulvaneError "\.\d\@!"

syntax match ulvaneOperator "==\|!=\|&&\|||\|[-+*/<>=!]"

" Digits with at most one point, no sign and no exponent: 7, 007, 1.50, 5., .5
syntax match ulvaneNumber "\<\d\+\%(\.\d*\)\=\|\.\d\+"

" A backslash takes the next character; a literal may run over several lines.
syntax match ulvaneEscape "\\." contained
syntax region ulvaneString start=+"+ skip=+\\.+ end=+"+ contains=ulvaneEscape

syntax match ulvaneComment "#.*$" contains=ulvaneTodo
syntax keyword ulvaneTodo TODO FIXME XXX contained

" The header directive sg<options>: the whole line is removed before the script is
" read, so whatever follows the > belongs to it.
syntax match ulvaneDirective "^\s*sg<.*$" contains=ulvaneDirectiveNel
syntax match ulvaneDirectiveNel "nel" contained

highlight default link ulvaneConditional Conditional
highlight default link ulvaneRepeat Repeat
highlight default link ulvaneDeclaration Type
highlight default link ulvanePrint Function
highlight default link ulvaneReserved Error
highlight default link ulvaneError Error
highlight default link ulvaneOperator Operator
highlight default link ulvaneNumber Number
highlight default link ulvaneString String
highlight default link ulvaneEscape SpecialChar
highlight default link ulvaneComment Comment
highlight default link ulvaneTodo Todo
highlight default link ulvaneDirective PreProc
highlight default link ulvaneDirectiveNel Special

let b:current_syntax = "ulvane"
