-- a line comment
local t = { "value one", 'value two' }
--[[ a block
comment here ]] local n = #t
--[==[ level two ]] still ]==]
local s = [[long
string text]]
