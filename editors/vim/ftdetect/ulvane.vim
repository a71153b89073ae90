" Vim file-type detection for Ulvane scripts: the .ulv extension, or a first line
" such as "#!/usr/bin/env ulvane".
autocmd BufNewFile,BufRead *.ulv setfiletype ulvane
autocmd BufNewFile,BufRead * if getline(1) =~# '^#!.*\<ulvane\>' | setfiletype ulvane | endif
