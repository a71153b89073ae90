" Checks the Vim files in editors/vim against the annotated grammar samples of the VS Code
" extension (editors/vscode/test/*.ulv): each TextMate scope that has a Vim counterpart
" must be among the syntax groups at the marked columns. Also checks file-type detection.
" Run as: vim -Nu NONE -i NONE -n -es --cmd 'set rtp^=EDITORS/vim' -S THIS SAMPLE...
" Reports on standard error; exits 0 when every check holds, 1 otherwise.

" Scope prefix -> the Vim groups that may stand for it.
let s:groups = [
      \ ['keyword.control.directive.ulvane', ['ulvaneDirective']],
      \ ['keyword.control.ulvane', ['ulvaneConditional', 'ulvaneRepeat']],
      \ ['storage.type.ulvane', ['ulvaneDeclaration']],
      \ ['support.function.builtin.ulvane', ['ulvanePrint']],
      \ ['invalid.illegal.reserved.ulvane', ['ulvaneReserved']],
      \ ['invalid.illegal.character.ulvane', ['ulvaneError']],
      \ ['constant.numeric.ulvane', ['ulvaneNumber']],
      \ ['keyword.operator.', ['ulvaneOperator']],
      \ ['string.quoted.double.ulvane', ['ulvaneString']],
      \ ['constant.character.escape.ulvane', ['ulvaneEscape']],
      \ ['comment.line.number-sign.ulvane', ['ulvaneComment']],
      \ ['meta.directive.ulvane', ['ulvaneDirective']],
      \ ['constant.language.option.nel.ulvane', ['ulvaneDirectiveNel']],
      \ ]
let s:errors = []
let s:checks = 0

function! s:GroupsFor(scope) abort
  for [prefix, groups] in s:groups
    if stridx(a:scope, prefix) == 0
      return groups
    endif
  endfor
  return []
endfunction

" The assertion lines of a sample are left out of the text, as the grammar tool does.
function! s:CheckSample(path) abort
  let lines = readfile(a:path)
  let source = []
  let assertions = []
  for text in lines[1:]
    let up = matchlist(text, '^#\(\s*[\^ ]*\^\)\s\+\([^-]*\)')
    let left = matchlist(text, '^# <\(-\+\)\s\+\([^-]*\)')
    if !empty(up)
      let column = 1
      for mark in split(up[1], '\zs')
        if mark ==# '^'
          call add(assertions, [len(source), column + 1, split(up[2])])
        endif
        let column += 1
      endfor
    elseif !empty(left)
      for column in range(1, len(left[1]))
        call add(assertions, [len(source), column, split(left[2])])
      endfor
    else
      call add(source, text)
    endif
  endfor
  enew!
  call setline(1, source)
  setfiletype ulvane
  for [lnum, col, scopes] in assertions
    let names = map(synstack(lnum, col), 'synIDattr(v:val, "name")')
    for scope in scopes
      let wanted = s:GroupsFor(scope)
      if empty(wanted)
        continue
      endif
      let s:checks += 1
      if empty(filter(copy(wanted), 'index(names, v:val) >= 0'))
        call add(s:errors, printf('%s: line %d column %d ("%s"): %s wants %s, found %s',
              \ a:path, lnum, col, source[lnum - 1], scope, join(wanted, ' or '), string(names)))
      endif
    endfor
  endfor
endfunction

" A .ulv name, or a first line naming ulvane, makes the file type.
function! s:CheckDetection() abort
  let dir = tempname()
  call mkdir(dir)
  call writefile(['print("x");'], dir . '/plain.ulv')
  call writefile(['#!/usr/bin/env ulvane', 'print("x");'], dir . '/script')
  call writefile(['#!/bin/sh', 'echo x'], dir . '/other')
  for [name, expected] in [['plain.ulv', 'ulvane'], ['script', 'ulvane'], ['other', 'sh']]
    execute 'edit! ' . fnameescape(dir . '/' . name)
    let s:checks += 1
    if &filetype !=# expected
      call add(s:errors, printf('%s: file type "%s", expected "%s"', name, &filetype, expected))
    endif
    bwipeout!
  endfor
endfunction

filetype on
syntax on
call s:CheckDetection()
for s:sample in argv()
  call s:CheckSample(s:sample)
endfor
if s:checks < 50
  call add(s:errors, printf('only %d checks ran', s:checks))
endif
call writefile(s:errors + [printf('%d checks, %d failed', s:checks, len(s:errors))], '/dev/stderr')
if empty(s:errors)
  qall!
endif
cquit!
