package main
// Go commentt
var s = `raw
stringg`
var r = 'x'
