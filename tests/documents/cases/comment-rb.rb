# Parses the confg file
def parse(path)
  puts "opening #{path} now"
  name = 'single quoted'
end
=begin
Documentation blok here.
=end
x = 1 # trailing remark
